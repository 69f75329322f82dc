// Desktop services against the real thing: under Wine the registry (written
// with reg.exe) and the HTML Help control; on Linux desktop entries and
// associations in temporary XDG folders through GIO, and chmcmd's help file.

#include "platformcheck.h"

#include "Platform/compiledhelpfile.h"
#include "Platform/desktopservices.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

using Platform::DesktopServices;
using Platform::FileAssociation;
using Platform::InstalledProgram;

namespace {

std::string helpFile()
{
#if defined(_WIN32)
    return "Z:" BASICS_HELP_TESTDATA_DIR "/help.chm"; // the Linux root is drive Z: under Wine
#else
    return BASICS_HELP_TESTDATA_DIR "/help.chm";
#endif
}

// Installed programs named \a prefix..., as "name|icon|location".
std::vector<std::string> programsNamed(const std::string &prefix)
{
    std::vector<std::string> found;
    for (const InstalledProgram &p : DesktopServices::system().installedPrograms()) {
        if (p.displayName.compare(0, prefix.size(), prefix) == 0)
            found.push_back(p.displayName + "|" + p.displayIcon + "|" + p.installLocation);
    }
    return found;
}

} // namespace

#if defined(_WIN32)

namespace {

const std::string Uninstall = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string Wow = "HKLM\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

bool reg(const std::string &arguments)
{
    std::string line = "reg.exe " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process))
        return false;
    WaitForSingleObject(process.hProcess, 30000);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code == 0;
}

std::string defaultValue(const std::string &path)
{
    char value[512] = {};
    DWORD size = sizeof value - 1;
    return RegGetValueA(HKEY_CURRENT_USER, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS
               ? value
               : "(none)";
}

bool endsWith(const std::string &text, const std::string &tail)
{
    return text.size() >= tail.size() && _stricmp(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

void removeTestKeys()
{
    for (const std::string &key :
         {"HKLM" + Uninstall + "BasicsTest-b", "HKLM" + Uninstall + "BasicsTest-a", "HKLM" + Uninstall + "basicstest-c",
          "HKCU" + Uninstall + "BasicsTest-user", Wow + "BasicsTest-wow", std::string("HKCU\\Software\\Classes\\.basicsuser"),
          std::string("HKCU\\Software\\Classes\\Basics.UserFile"), std::string("HKLM\\Software\\Classes\\.basicswine"),
          std::string("HKLM\\Software\\Classes\\Basics.WineFile")})
        reg("delete \"" + key + "\" /f");
}

} // namespace

PLATFORM_TEST(uninstallEntriesWrittenByRegAreListedInStoreOrder)
{
    removeTestKeys();
    const std::string m = "add \"HKLM" + Uninstall;
    CHECK(reg(m + "BasicsTest-b\" /v DisplayName /d \"Basics Test Beta\" /f"));
    CHECK(reg(m + "BasicsTest-b\" /v DisplayIcon /t REG_EXPAND_SZ /d \"C:\\beta\\beta.exe, 0\" /f"));
    CHECK(reg(m + "BasicsTest-a\" /v DisplayName /d \"Basics Test Alpha\" /f"));
    CHECK(reg(m + "BasicsTest-a\" /v InstallLocation /t REG_MULTI_SZ /d \"C:\\alpha\" /f"));
    CHECK(reg(m + "basicstest-c\" /v DisplayName /d \"Basics Test Gamma\" /f"));
    CHECK(reg(m + "basicstest-c\" /v InstallLocation /t REG_DWORD /d 42 /f"));
    CHECK(reg("add \"HKCU" + Uninstall + "BasicsTest-user\" /v DisplayName /d \"Basics Test User\" /f"));
    CHECK(reg("add \"" + Wow + "BasicsTest-wow\" /v DisplayName /d \"Basics Test Wow\" /f"));
    // Machine, user, 32-bit view; subkeys by UTF-16 code units ('B' < 'b').
    CHECK(programsNamed("Basics Test")
          == std::vector<std::string>({"Basics Test Alpha||C:\\alpha", "Basics Test Beta|C:\\beta\\beta.exe, 0|",
                                       "Basics Test Gamma||42", "Basics Test User||", "Basics Test Wow||"}));
    removeTestKeys();
}

PLATFORM_TEST(associationKeysWrittenAndQueried)
{
    removeTestKeys();
    DesktopServices &desktop = DesktopServices::system();
    const std::string viewer = "\"C:\\Program Files\\Basics\\viewer.exe\" \"%1\"";
    CHECK(desktop.associate({".basicsuser", "Basics.UserFile", "Basics user file", viewer}));
    CHECK(defaultValue("Software\\Classes\\.basicsuser") == "Basics.UserFile");
    CHECK(defaultValue("Software\\Classes\\Basics.UserFile") == "Basics user file");
    CHECK(defaultValue("Software\\Classes\\Basics.UserFile\\shell\\open\\command") == viewer);
    // Windows merges the user's classes into HKEY_CLASSES_ROOT; Wine 8 does
    // not, so there the query finds nothing.
    std::string program;
    CHECK(!desktop.executableForExtension(".basicsuser", &program) || program == "C:\\Program Files\\Basics\\viewer.exe");

    // Machine-wide: one of ours, and Wine's own (ini files open in notepad,
    // help files in hh).
    CHECK(reg("add HKLM\\Software\\Classes\\.basicswine /ve /d Basics.WineFile /f"));
    CHECK(reg("add HKLM\\Software\\Classes\\Basics.WineFile\\shell\\open\\command /ve /d "
              "\"\\\"C:\\windows\\system32\\winver.exe\\\" \\\"%1\\\"\" /f"));
    CHECK(desktop.executableForExtension(".basicswine", &program) && program == "C:\\windows\\system32\\winver.exe");
    CHECK(desktop.executableForExtension(".ini", &program) && endsWith(program, "\\notepad.exe"));
    CHECK(desktop.executableForExtension(".chm", &program) && endsWith(program, "\\hh.exe"));
    CHECK(!desktop.executableForExtension(".nosuchbasicsextension", &program));
    removeTestKeys();
}

// The control is loaded from the file its registration names.
PLATFORM_TEST(helpControlLoadsFromItsRegistration)
{
    char registered[MAX_PATH] = {};
    DWORD size = sizeof registered;
    CHECK(RegGetValueA(HKEY_CLASSES_ROOT, "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32",
                       nullptr, RRF_RT_REG_SZ, nullptr, registered, &size)
          == ERROR_SUCCESS);
    DesktopServices &desktop = DesktopServices::system();
    CHECK(desktop.showHelp(0, helpFile() + "::/intro.htm", Platform::HelpDisplayTopic, 0));
    CHECK(desktop.showHelp(0, helpFile(), Platform::HelpContext, 1001));
    const HMODULE control = GetModuleHandleA(registered);
    const auto entry = control ? GetProcAddress(control, MAKEINTRESOURCEA(14)) : nullptr;
    CHECK(entry != nullptr);
    if (entry) // HH_CLOSE_ALL
        reinterpret_cast<HWND(WINAPI *)(HWND, LPCSTR, UINT, DWORD_PTR)>(reinterpret_cast<void *>(entry))(nullptr, nullptr, 0x12, 0);
}

int main()
{
    return platformcheck::runAll();
}

#else // Linux

namespace {

std::string s_root; // temporary XDG world of this run
std::string s_self; // this program, to ask again from a fresh process

void writeFile(const std::string &path, const std::string &content, bool executable = false)
{
    std::ofstream(path) << content;
    if (executable)
        chmod(path.c_str(), 0755);
}

std::string readFile(const std::string &path)
{
    std::ifstream file(path);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string programFor(const std::string &extension)
{
    std::string program;
    return DesktopServices::system().executableForExtension(extension, &program) ? program : "(none)";
}

std::string lookupInNewProcess(const std::string &extension)
{
    std::string answer;
    if (FILE *child = popen(("'" + s_self + "' --lookup '" + extension + "'").c_str(), "r")) {
        char line[4096];
        while (std::fgets(line, sizeof line, child))
            answer += line;
        pclose(child);
    }
    return answer;
}

} // namespace

PLATFORM_TEST(desktopEntriesAreTheInstalledPrograms)
{
    const std::string user = s_root + "/data/applications/", system = s_root + "/system/applications/";
    writeFile(system + "a-tool.desktop", "[Desktop Entry]\nType=Application\nName=Basics Tool Box\nExec=basicstool %f\n");
    writeFile(user + "b-lens.desktop", "[Desktop Entry]\nType=Application\nName=Basics Lens Viewer\n"
              "Exec=\"" + s_root + "/bin/lens viewer\" --open %f\n");
    writeFile(user + "c-hidden.desktop", "[Desktop Entry]\nType=Application\nName=Basics Hidden\nExec=basicstool\nNoDisplay=true\n");
    writeFile(user + "d-gone.desktop", "[Desktop Entry]\nType=Application\nName=Basics Gone\nExec=/nonexistent/basics\n");
    const std::vector<std::string> expected = {"Basics Tool Box|" + s_root + "/bin/basicstool|",
                                               "Basics Lens Viewer|" + s_root + "/bin/lens viewer|"};
    CHECK(programsNamed("Basics") == expected);
    CHECK(DesktopServices::system().programFiles() == DesktopServices::ProgramFiles::ExecutableFiles);
}

PLATFORM_TEST(associationRoundTripThroughMimeDatabaseAndGio)
{
    DesktopServices &desktop = DesktopServices::system();
    const std::string lens = s_root + "/bin/lens viewer", tool = s_root + "/bin/basicstool";
    CHECK(desktop.associate({".basicstest", "Basics.Test", "Basics <test> & file", "\"" + lens + "\" --open \"%1\""}));
    CHECK(programFor(".basicstest") == lens);
    CHECK(programFor(".BASICSTEST") == lens); // MIME globs ignore case
    CHECK(readFile(s_root + "/data/applications/basics-basics.test.desktop").find(
              "Exec=\"" + lens + "\" --open %f\n") != std::string::npos);
    CHECK(readFile(s_root + "/config/mimeapps.list").find(
              "application/x-basics.test=basics-basics.test.desktop") != std::string::npos);
    // Several dots, blanks, a command without "%1", a second type.
    CHECK(desktop.associate({".data.gz.basics", "Basics.Data", "Data", "basicstool 100% %1"}));
    CHECK(desktop.associate({".my basics", "Basics Blank", "Blank", "basicstool"}));
    CHECK(programFor(".data.gz.basics") == tool && programFor(".my basics") == tool);
    CHECK(readFile(s_root + "/data/applications/basics-basics.data.desktop").find(
              "Exec=basicstool 100%% %f\n") != std::string::npos);
    // Associated again: the extension follows its new type (in this process
    // only once GIO looks at its MIME cache again, within five seconds).
    CHECK(desktop.associate({".basicstest", "Basics.Other", "Other", tool}));
    CHECK(lookupInNewProcess(".basicstest") == tool);
    // Refused or unknown.
    CHECK(!desktop.associate({".bad*", "Basics.Bad", "Bad", tool}));
    CHECK(!desktop.associate({".basicsquote", "Basics.Quote", "Quote", "\"" + tool}));
    CHECK(!desktop.associate({".basicsgone", "Basics.Gone", "Gone", "/nonexistent/basics %1"}));
    CHECK(programFor(".basicsgone") == "(none)" && programFor(".nosuchbasicsextension") == "(none)");
}

// Pages: the help window test in tests/Basics; damaged files: fuzz/Desktop.
PLATFORM_TEST(helpFilesThatAreNone)
{
    const Platform::CompiledHelpFile help(helpFile());
    CHECK(help.isOpen() && !help.contains("/sub/")); // a folder is no page
    for (const std::string &path : {s_root + "/none.chm", s_root + "/bin", s_root + "/bin/basicstool"})
        CHECK(!Platform::CompiledHelpFile(path).isOpen());
}

int main(int argc, char **argv)
{
    if (argc == 3 && std::string(argv[1]) == "--lookup") {
        std::printf("%s", programFor(argv[2]).c_str());
        return 0;
    }
    s_self = argv[0];
    char root[] = "/tmp/basics-xdg-XXXXXX";
    if (!mkdtemp(root))
        return 1;
    s_root = root;
    for (const char *folder : {"/bin", "/data", "/data/applications", "/config", "/system",
                               "/system/applications"})
        mkdir((s_root + folder).c_str(), 0700);
    writeFile(s_root + "/bin/basicstool", "#!/bin/sh\n", true);
    writeFile(s_root + "/bin/lens viewer", "#!/bin/sh\n", true);
    // Before GIO reads any of them.
    setenv("XDG_DATA_HOME", (s_root + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (s_root + "/config").c_str(), 1);
    setenv("XDG_DATA_DIRS", (s_root + "/system").c_str(), 1);
    const char *path = std::getenv("PATH");
    setenv("PATH", (s_root + "/bin:" + (path ? path : "/usr/bin:/bin")).c_str(), 1);
    const int result = platformcheck::runAll();
    if (!std::getenv("BASICS_KEEP")) std::system(("rm -rf '" + s_root + "'").c_str());
    return result;
}

#endif
