// The other process of the platform tests.
//
// With BASICS_LAUNCH_REPORT set it writes a launch report (launchreport.h)
// to that file and exits. Otherwise:
//   platform_testpeer tagged <id file> <tag> <title>
//       shows a window, tags it, gives it the order number 5, writes its id
//       to <id file> and stays until its order number is StopNumber (at most
//       two minutes);
//   platform_testpeer churn <stop file> <tag>
//       makes, tags and destroys windows until <stop file> exists.

#include "launchreport.h"
#include "testwindow.h"

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#if defined(_WIN32)
#include <shellapi.h>
#else
#include <dirent.h>
extern char **environ;
#endif

namespace {

constexpr int StopNumber = -424242;
using launchreport::Text;

#if defined(_WIN32)
Text textOf(const wchar_t *text, std::size_t size = std::wstring::npos)
{
    return Text(reinterpret_cast<const char *>(text), (size == std::wstring::npos ? wcslen(text) : size) * 2);
}

launchreport::Report report(int argc, wchar_t **argv)
{
    launchreport::Report report(launchreport::SectionCount);
    for (int i = 0; i < argc; ++i)
        report[launchreport::Arguments].push_back(textOf(argv[i]));
    int count = 0;
    LPWSTR *split = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 0; i < count; ++i)
        report[launchreport::ShellArguments].push_back(textOf(split[i]));
    LocalFree(split);
    wchar_t *block = GetEnvironmentStringsW();
    for (const wchar_t *entry = block; *entry; entry += wcslen(entry) + 1)
        report[launchreport::Environment].push_back(textOf(entry));
    FreeEnvironmentStringsW(block);
    wchar_t directory[32768];
    report[launchreport::Directory].push_back(textOf(directory, GetCurrentDirectoryW(32768, directory)));
    return report;
}
#else
launchreport::Report report(int argc, char **argv)
{
    launchreport::Report report(launchreport::SectionCount);
    report[launchreport::Arguments].assign(argv, argv + argc);
    for (char **entry = environ; *entry; ++entry)
        report[launchreport::Environment].push_back(*entry);
    char *directory = getcwd(nullptr, 0);
    report[launchreport::Directory].push_back(directory ? directory : "");
    std::free(directory);
    DIR *open = opendir("/proc/self/fd");
    while (dirent *entry = readdir(open)) {
        char target[4096] = {};
        const std::string link = std::string("/proc/self/fd/") + entry->d_name;
        if (entry->d_name[0] != '.' && std::atoi(entry->d_name) != dirfd(open)
            && readlink(link.c_str(), target, sizeof target - 1) > 0)
            report[launchreport::Descriptors].push_back(std::string(entry->d_name) + " -> " + target);
    }
    closedir(open);
    return report;
}
#endif

bool exists(const std::string &path)
{
    std::string data;
    return launchreport::readFile(path, &data);
}

int showWindows(const std::vector<std::string> &arguments)
{
    if (arguments.size() < 4)
        return 2;
    const std::string &file = arguments[2];
    const auto tag = std::uint32_t(std::strtoul(arguments[3].c_str(), nullptr, 10));
    Platform::WindowManager &windows = Platform::WindowManager::instance();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    auto running = [&] { return std::chrono::steady_clock::now() < deadline; };
    if (arguments[1] == "tagged" && arguments.size() == 5) {
        TestWindow window(arguments[4]);
        if (!windows.tagWindow(window.id(), tag) || !windows.setOrderNumber(window.id(), 5))
            return 1;
        launchreport::writeFile(file, std::to_string(window.id()));
        while (running() && windows.orderNumber(window.id()) != StopNumber) {
            window.pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return 0;
    }
    for (int round = 0; arguments[1] == "churn" && running() && !exists(file); ++round) {
        TestWindow window("churn " + std::to_string(round));
        windows.tagWindow(window.id(), tag);
        window.pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(round % 3));
    }
    return 0;
}

int run(int argc, const launchreport::Report &made, const std::vector<std::string> &arguments)
{
    if (const char *path = std::getenv(launchreport::ReportVariable))
        return launchreport::writeFile(path, launchreport::serialize(made)) ? 0 : 1;
    return argc > 1 ? showWindows(arguments) : 2;
}

} // namespace

#if defined(_WIN32)
int wmain(int argc, wchar_t **argv)
{
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.emplace_back(argv[i], argv[i] + wcslen(argv[i])); // ASCII in window modes
    return run(argc, report(argc, argv), arguments);
}
#else
int main(int argc, char **argv)
{
    return run(argc, report(argc, argv), std::vector<std::string>(argv, argv + argc));
}
#endif
