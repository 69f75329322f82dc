#include "Platform/processlauncher.h"

#include <windows.h>

#include <vector>

namespace Platform {

namespace {

class Win32ProcessLauncher final : public ProcessLauncher
{
public:
    bool startDetached(const DetachedStart &start) override
    {
        const std::u16string line = windowsCommandLine(
            start.program,
            std::vector<std::u16string_view>(start.arguments.begin(), start.arguments.end()));
        // CreateProcessW may write into the command line: hand it a copy.
        std::vector<wchar_t> commandLine(line.begin(), line.end());
        commandLine.push_back(L'\0');

        std::u16string block;
        if (!start.inheritEnvironment)
            block = windowsEnvironmentBlock(start.environment);
        const std::wstring directory(start.workingDirectory.begin(), start.workingDirectory.end());

        // Default placement only: no flags, no show value, no standard
        // handles, no desktop, no title.
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        startup.dwX = CW_USEDEFAULT;
        startup.dwY = CW_USEDEFAULT;
        startup.dwXSize = CW_USEDEFAULT;
        startup.dwYSize = CW_USEDEFAULT;

        PROCESS_INFORMATION process = {};
        const BOOL created = CreateProcessW(
            nullptr, commandLine.data(), nullptr, nullptr, FALSE,
            CREATE_UNICODE_ENVIRONMENT | CREATE_NEW_CONSOLE,
            start.inheritEnvironment ? nullptr : static_cast<void *>(&block[0]),
            directory.empty() ? nullptr : directory.c_str(), &startup, &process);
        if (!created)
            return false;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return true;
    }
};

} // namespace

ProcessLauncher &ProcessLauncher::system()
{
    static Win32ProcessLauncher launcher;
    return launcher;
}

} // namespace Platform
