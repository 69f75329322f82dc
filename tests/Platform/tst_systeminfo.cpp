// System information against the system itself: signers of the signed PE
// files (the portable reader and CRYPT32 under Wine agree), the processor
// name, and under Wine the version, build values and loaded modules.

#include "platformcheck.h"

#include "Platform/systeminfo.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fstream>
#include <iterator>
#endif

using Platform::SignerLookup;
using Platform::SystemInfo;

namespace {

// A file of a test data folder as this platform names it (under Wine, the
// Linux root is drive Z:).
std::wstring dataPath(const std::string &folder, const std::string &name)
{
#if defined(_WIN32)
    const std::string path = "Z:" + folder + "/" + name;
#else
    const std::string path = folder + "/" + name;
#endif
    return std::wstring(path.begin(), path.end());
}

std::string trimmed(const std::string &text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    return first == std::string::npos ? std::string()
                                      : text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// What tests/Platform/signdata/make_signed.py put into the files.
const struct
{
    const char *file;
    SignerLookup result;
    const wchar_t *name;
} expectedSigners[] = {
    {"leaf-first.exe", SignerLookup::Found, L"Linsenschleiferei M\u00fcller"},
    {"leaf-first-pe32.dll", SignerLookup::Found, L"Linsenschleiferei M\u00fcller"},
    {"issuer-first.exe", SignerLookup::Found, L"Precision Optics Release Signing"},
    {"no-cn.exe", SignerLookup::Found, L"Abteilung Linsen"},
    {"email-only.exe", SignerLookup::Found, L"release@optik.example"},
    {"no-name.exe", SignerLookup::NoName, L""},
    {"no-certificate.exe", SignerLookup::NoCertificate, L""},
    {"unsigned.exe", SignerLookup::NoSignature, L""},
    {"truncated.exe", SignerLookup::NoSignature, L""},
    {"corrupted.exe", SignerLookup::NoSignature, L""},
    {"huge-length.exe", SignerLookup::NoSignature, L""},
    {"beyond-end.exe", SignerLookup::NoSignature, L""},
    {"no-such-file.exe", SignerLookup::NoSignature, L""},
    {"", SignerLookup::NoSignature, L""}, // the folder itself
};

#if defined(_WIN32)
bool containsPathEndingIn(const std::vector<std::wstring> &paths, const std::wstring &end)
{
    return std::any_of(paths.begin(), paths.end(), [&](const std::wstring &path) {
        return path.size() >= end.size() && _wcsicmp(path.c_str() + path.size() - end.size(), end.c_str()) == 0;
    });
}

// The output of a command run by the system's own command interpreter.
std::string commandOutput(const std::string &command)
{
    std::string output;
    char buffer[512];
    if (FILE *pipe = _popen(command.c_str(), "r")) {
        while (std::fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        _pclose(pipe);
    }
    return output;
}

// The data of "reg query KEY /v NAME": the text after the type column, or
// empty when the value does not exist.
std::string registryQuery(const char *key, const char *name)
{
    const std::string output = commandOutput(std::string("reg query \"") + key + "\" /v " + name + " 2>nul");
    const std::size_t at = output.find(std::string(name) + "    REG_");
    if (at == std::string::npos)
        return std::string();
    const std::size_t type = output.find("    ", at + std::string(name).size() + 4);
    const std::size_t end = output.find_first_of("\r\n", type);
    return trimmed(output.substr(type, end - type));
}
#endif

} // namespace

PLATFORM_TEST(signersOfTheProjectsFiles)
{
    for (const auto &expected : expectedSigners) {
        std::wstring name = L"(unchanged)";
        const SignerLookup result = SystemInfo::system().signerName(dataPath(BASICS_SIGNED_TESTDATA_DIR, expected.file), &name);
        if (result != expected.result || name != expected.name)
            std::printf("  %s: result %d\n", expected.file, int(result));
        CHECK(result == expected.result && name == expected.name);
    }
}

PLATFORM_TEST(processorNameAsTheSystemGivesIt)
{
    std::string brand;
    if (!Platform::cpuidBrandString(&brand))
        return; // no CPUID brand leaves here
    CHECK(SystemInfo::system().processorName() == brand && brand.size() <= 48);
#if defined(_WIN32)
    const std::string systemName = registryQuery(
        "HKLM\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", "ProcessorNameString");
#else
    std::ifstream file("/proc/cpuinfo");
    const std::string systemName = Platform::processorNameFromCpuinfo(
        std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>()));
#endif
    // The system trims the brand's padding spaces.
    std::printf("  CPUID '%s', system '%s'\n", brand.c_str(), systemName.c_str());
    CHECK(!systemName.empty() && trimmed(brand) == systemName);
}

PLATFORM_TEST(processorNameFromCpuinfoTexts)
{
    CHECK(Platform::processorNameFromCpuinfo("processor\t: 0\nmodel name\t: Xeon CPU \nprocessor\t: 1\nmodel name\t: other\n")
          == "Xeon CPU");
    CHECK(Platform::processorNameFromCpuinfo("Processor\t: ARMv7 rev 4\nprocessor\t: 0\n") == "ARMv7 rev 4");
    CHECK(Platform::processorNameFromCpuinfo("processor\t: 0\nBogoMIPS\t: 50.00\n").empty());
}

PLATFORM_TEST(libraryNames)
{
    const struct { const wchar_t *path; bool sharedObject, dll; } cases[] = {
        {L"/usr/lib/libQt5Core.so.5.15.8", true, false}, {L"/opt/libplugin.so", true, false},
        {L"/opt/libplugin.so.1a", false, false},          {L"/opt/libplugin.so.", false, false},
        {L"/opt/.so", false, false},                      {L"/opt/lib.so.d/tool", false, false},
        {L"C:\\Windows\\KERNEL32.DLL", false, true},       {L"C:\\Tools\\lens.exe", false, false},
    };
    for (const auto &c : cases)
        CHECK(Platform::isSharedObjectName(c.path) == c.sharedObject && Platform::isDllName(c.path) == c.dll);
    // Without a current context there are no OpenGL strings.
    CHECK(SystemInfo::system().glString(Platform::GlString::Vendor).empty());
}

#if defined(_WIN32)

PLATFORM_TEST(versionAsWineReportsIt)
{
    Platform::OsVersion version;
    CHECK(SystemInfo::system().osVersion(&version));
    // "Microsoft Windows [Version 10.0.19045.3803]" on Windows,
    // "Microsoft Windows 6.1.7601" under Wine: the first dotted number.
    const std::string ver = commandOutput("cmd /c ver") + "0";
    const std::size_t at = ver.find_first_of("0123456789");
    const std::string reported = ver.substr(at, ver.find_first_not_of("0123456789.", at) - at);
    const std::string ours = std::to_string(version.major) + "." + std::to_string(version.minor)
        + "." + std::to_string(version.build);
    std::printf("  RtlGetVersion %s, ver %s\n", ours.c_str(), reported.c_str());
    // Real Windows adds the update number as a fourth field.
    CHECK(reported == ours || reported.compare(0, ours.size() + 1, ours + ".") == 0);
}

PLATFORM_TEST(buildValuesAsTheRegistryHoldsThem)
{
    const char *key = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    for (const char *name : {"CurrentBuild", "UBR", "NoSuchValue"}) {
        const std::string reported = registryQuery(key, name);
        std::string value = "(unchanged)";
        const bool found = SystemInfo::system().buildValue(name, &value);
        std::printf("  %s: ours %s '%s', reg query '%s'\n", name, found ? "found" : "absent",
                    value.c_str(), reported.c_str());
        // reg query shows numbers in hexadecimal, ours are decimal.
        const bool hexadecimal = reported.compare(0, 2, "0x") == 0;
        CHECK(found == !reported.empty());
        CHECK(!found ? value.empty()
                     : hexadecimal ? std::strtoul(reported.c_str(), nullptr, 16) == std::strtoul(value.c_str(), nullptr, 10)
                                   : value == reported);
    }
}

PLATFORM_TEST(modulesWithALibraryLoadedHere)
{
    const std::wstring library = dataPath(BASICS_PE_TESTDATA_DIR, "resources64.dll");
    HMODULE module = LoadLibraryW(library.c_str());
    CHECK(module != nullptr);
    wchar_t executable[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, executable, MAX_PATH);
    const std::wstring program = executable;

    std::vector<std::wstring> libraries, all;
    CHECK(SystemInfo::system().loadedModules(false, &libraries) == Platform::ModuleListing::Listed);
    CHECK(SystemInfo::system().loadedModules(true, &all) == Platform::ModuleListing::Listed);
    CHECK(containsPathEndingIn(libraries, L"\\resources64.dll"));
    CHECK(containsPathEndingIn(libraries, L"\\kernel32.dll"));
    CHECK(!containsPathEndingIn(libraries, program));
    CHECK(containsPathEndingIn(all, program));
    CHECK(all.size() > libraries.size());
    for (const std::wstring &path : libraries)
        CHECK(Platform::isDllName(path));
    if (module)
        FreeLibrary(module);
}

#endif

PLATFORM_TEST_MAIN()
