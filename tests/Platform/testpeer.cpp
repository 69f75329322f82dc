// The other process of the platform tests. With BASICS_LAUNCH_REPORT set it
// writes its launch report there and exits. Otherwise:
//   tagged <id file> <tag> <title>: a tagged window with order number 5, its
//       id written to <id file>, until its order number is StopNumber;
//   churn <stop file> <tag>: tagged windows come and go until <stop file>.

#include "testpeer.h"
#include "testwindow.h"

#include <chrono>
#include <thread>

#if defined(_WIN32)
#include <shellapi.h>
#else
#include <dirent.h>
extern char **environ;
#endif

using namespace testpeer;

namespace {

#if defined(_WIN32)
Text textOf(const wchar_t *text, std::size_t size)
{
    return Text(reinterpret_cast<const char *>(text), size * 2);
}
Text textOf(const wchar_t *text) { return textOf(text, wcslen(text)); }

Report report(int argc, wchar_t **argv)
{
    Report report(SectionCount);
    for (int i = 0; i < argc; ++i)
        report[Arguments].push_back(textOf(argv[i]));
    int count = 0;
    LPWSTR *split = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 0; i < count; ++i)
        report[ShellArguments].push_back(textOf(split[i]));
    LocalFree(split);
    wchar_t *block = GetEnvironmentStringsW();
    for (const wchar_t *entry = block; *entry; entry += wcslen(entry) + 1)
        report[Environment].push_back(textOf(entry));
    FreeEnvironmentStringsW(block);
    wchar_t directory[32768];
    report[Directory].push_back(textOf(directory, GetCurrentDirectoryW(32768, directory)));
    return report;
}
#else
Report report(int argc, char **argv)
{
    Report report(SectionCount);
    report[Arguments].assign(argv, argv + argc);
    for (char **entry = environ; *entry; ++entry)
        report[Environment].push_back(*entry);
    char *directory = getcwd(nullptr, 0);
    report[Directory].push_back(directory ? directory : "");
    std::free(directory);
    DIR *open = opendir("/proc/self/fd");
    while (dirent *entry = readdir(open)) {
        char target[4096] = {};
        const std::string link = std::string("/proc/self/fd/") + entry->d_name;
        if (entry->d_name[0] != '.' && std::atoi(entry->d_name) != dirfd(open)
            && readlink(link.c_str(), target, sizeof target - 1) > 0)
            report[Descriptors].push_back(std::string(entry->d_name) + " -> " + target);
    }
    closedir(open);
    return report;
}
#endif

int showWindows(const std::vector<std::string> &arguments)
{
    if (arguments.size() < 4)
        return 2;
    const std::string &file = arguments[2];
    const auto tag = std::uint32_t(std::strtoul(arguments[3].c_str(), nullptr, 10));
    Platform::WindowManager &windows = Platform::WindowManager::instance();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    if (arguments[1] == "tagged" && arguments.size() == 5) {
        TestWindow window(arguments[4]);
        if (!windows.tagWindow(window.id(), tag) || !windows.setOrderNumber(window.id(), 5))
            return 1;
        writeFile(file, std::to_string(window.id()));
        while (std::chrono::steady_clock::now() < deadline && windows.orderNumber(window.id()) != StopNumber) {
            window.pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return 0;
    }
    std::string stop;
    for (int round = 0; arguments[1] == "churn" && std::chrono::steady_clock::now() < deadline
                        && !readFile(file, &stop);
         ++round) {
        TestWindow window("churn " + std::to_string(round));
        windows.tagWindow(window.id(), tag);
        window.pump();
#if !defined(_WIN32)
        window.waitUntilManaged(500); // gone while listed, not while taken on
#endif
        std::this_thread::sleep_for(std::chrono::milliseconds(round % 3));
    }
    return 0;
}

int run(const Report &made, const std::vector<std::string> &arguments)
{
    if (const char *path = std::getenv(ReportVariable))
        return writeFile(path, serialize(made)) ? 0 : 1;
    return showWindows(arguments);
}

} // namespace

#if defined(_WIN32)
int wmain(int argc, wchar_t **argv)
{
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.emplace_back(argv[i], argv[i] + wcslen(argv[i])); // ASCII in window modes
    return run(report(argc, argv), arguments);
}
#else
int main(int argc, char **argv)
{
    return run(report(argc, argv), std::vector<std::string>(argv, argv + argc));
}
#endif
