// A child for process-start tests: writes what it was given (arguments,
// environment, working directory) to the file named by BASICS_LAUNCH_REPORT
// (see launchreport.h) and exits.

#include "launchreport.h"

#include <cstdlib>

static int finish(const launchreport::Report &report)
{
    const char *path = std::getenv(launchreport::ReportVariable);
    if (!path)
        return 2;
    return launchreport::writeFile(path, launchreport::serialize(report)) ? 0 : 1;
}

#if defined(_WIN32)
#include <windows.h>
#include <shellapi.h>

namespace {

launchreport::Text textOf(const wchar_t *text, std::size_t size)
{
    return launchreport::Text(reinterpret_cast<const char *>(text), size * 2);
}

launchreport::Text textOf(const wchar_t *text)
{
    return textOf(text, wcslen(text));
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    launchreport::Report report;
    for (int i = 0; i < argc; ++i)
        report.runtimeArguments.push_back(textOf(argv[i]));
    int count = 0;
    if (LPWSTR *split = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i)
            report.shellArguments.push_back(textOf(split[i]));
        LocalFree(split);
    }
    report.commandLine = textOf(GetCommandLineW());
    if (wchar_t *block = GetEnvironmentStringsW()) {
        for (const wchar_t *entry = block; *entry; entry += wcslen(entry) + 1)
            report.environment.push_back(textOf(entry));
        FreeEnvironmentStringsW(block);
    }
    wchar_t directory[32768];
    const DWORD size = GetCurrentDirectoryW(32768, directory);
    report.directory = textOf(directory, size);
    return finish(report);
}
#else
#include <dirent.h>
#include <unistd.h>

extern char **environ;

// The open descriptors and what they lead to.
static std::vector<launchreport::Text> descriptors()
{
    std::vector<launchreport::Text> open;
    DIR *directory = opendir("/proc/self/fd");
    if (!directory)
        return open;
    while (dirent *entry = readdir(directory)) {
        if (entry->d_name[0] == '.' || atoi(entry->d_name) == dirfd(directory))
            continue;
        char target[4096] = {};
        const std::string link = std::string("/proc/self/fd/") + entry->d_name;
        if (readlink(link.c_str(), target, sizeof target - 1) < 0)
            continue;
        open.push_back(std::string(entry->d_name) + " -> " + target);
    }
    closedir(directory);
    return open;
}

int main(int argc, char **argv)
{
    launchreport::Report report;
    for (int i = 0; i < argc; ++i)
        report.runtimeArguments.push_back(argv[i]);
    for (char **entry = environ; *entry; ++entry)
        report.environment.push_back(*entry);
    if (char *directory = getcwd(nullptr, 0)) {
        report.directory = directory;
        std::free(directory);
    }
    report.descriptors = descriptors();
    return finish(report);
}
#endif
