// System information against what the system itself reports: the signer
// of the project's signed PE files (the same expected names for the
// portable reader on Linux and for CRYPT32 under Wine, so both agree), the
// processor name against /proc/cpuinfo or the registry, the Windows version
// and build values against "ver" and "reg query" (Wine), and the modules of
// this process with a library the test loads itself.

#include "platformcheck.h"

#include "Platform/systeminfo.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include "Platform/pesignaturereader.h"
#include <dlfcn.h>
#include <fstream>
#include <iterator>
#include <unistd.h>
#endif

using Platform::SignerLookup;
using Platform::SystemInfo;

namespace {

std::wstring widen(const std::string &ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

// A file of a test data folder as this platform names it (under Wine, the
// Linux root is drive Z:).
std::wstring dataPath(const std::string &folder, const std::string &name)
{
    std::string path = folder + "/" + name;
#if defined(_WIN32)
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
#endif
    return widen(path);
}

std::string trimmed(const std::string &text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::wstring lower(std::wstring text)
{
    for (wchar_t &c : text)
        if (c >= L'A' && c <= L'Z')
            c = wchar_t(c - L'A' + L'a');
    return text;
}

bool containsPathEndingIn(const std::vector<std::wstring> &paths, const std::wstring &end)
{
    for (const std::wstring &path : paths)
        if (lower(path).size() >= end.size()
            && lower(path).compare(path.size() - end.size(), end.size(), lower(end)) == 0)
            return true;
    return false;
}

struct ExpectedSigner
{
    const char *file;
    SignerLookup result;
    const wchar_t *name;
};

// What tests/Platform/signdata/make_signed.py put into the files.
const ExpectedSigner expectedSigners[] = {
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

const char *lookupName(SignerLookup result)
{
    switch (result) {
    case SignerLookup::Found: return "Found";
    case SignerLookup::NoSignature: return "NoSignature";
    case SignerLookup::NoCertificate: return "NoCertificate";
    case SignerLookup::NoName: return "NoName";
    }
    return "?";
}

#if defined(_WIN32)
// The output of a command run by the system's own command interpreter.
std::string commandOutput(const char *command)
{
    std::string output;
    FILE *pipe = _popen(command, "r");
    if (!pipe)
        return output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    _pclose(pipe);
    return output;
}

// The data of "reg query KEY /v NAME": the text after the type column, or
// empty when the value does not exist.
std::string registryQuery(const char *key, const char *name)
{
    const std::string output =
        commandOutput((std::string("reg query \"") + key + "\" /v " + name + " 2>nul").c_str());
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
    for (const ExpectedSigner &expected : expectedSigners) {
        std::wstring name = L"(unchanged)";
        const SignerLookup result = SystemInfo::system().signerName(
            dataPath(BASICS_SIGNED_TESTDATA_DIR, expected.file), &name);
        if (result != expected.result || name != expected.name) {
            std::printf("  %s: %s, expected %s\n", expected.file, lookupName(result),
                        lookupName(expected.result));
            CHECK(result == expected.result);
            CHECK(name == expected.name);
        }
    }
}

PLATFORM_TEST(processorNameAsTheSystemGivesIt)
{
    std::string brand;
    if (!Platform::cpuidBrandString(&brand)) {
        std::printf("  no CPUID brand leaves here\n");
        return;
    }
    CHECK(!trimmed(brand).empty());
    CHECK(brand.size() <= 48);
    CHECK(SystemInfo::system().processorName() == brand);
#if defined(_WIN32)
    const std::string systemName =
        registryQuery("HKLM\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                      "ProcessorNameString");
#else
    std::ifstream file("/proc/cpuinfo");
    const std::string systemName = Platform::processorNameFromCpuinfo(
        std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>()));
#endif
    // The system trims the brand's padding spaces.
    if (trimmed(brand) != systemName)
        std::printf("  CPUID '%s', system '%s'\n", brand.c_str(), systemName.c_str());
    CHECK(trimmed(brand) == systemName);
}

PLATFORM_TEST(processorNameFromCpuinfoTexts)
{
    const struct
    {
        const char *text;
        const char *name;
    } cases[] = {
        {"processor\t: 0\nvendor_id\t: GenuineIntel\nmodel name\t: Intel(R) Xeon(R) CPU @ 2.20GHz"
         "\nflags\t\t: fpu\n\nprocessor\t: 1\nmodel name\t: other\n",
         "Intel(R) Xeon(R) CPU @ 2.20GHz"},
        {"Processor\t: ARMv7 Processor rev 4 (v7l)\nprocessor\t: 0\nBogoMIPS\t: 38.40\n",
         "ARMv7 Processor rev 4 (v7l)"},
        {"system type\t\t: MT7621\nmachine\t\t\t: X\nprocessor\t\t: 0\ncpu model\t\t: MIPS 1004Kc"
         " V2.15\n",
         "MIPS 1004Kc V2.15"},
        {"processor\t: 0\ncpu\t\t: POWER9 (architected), altivec supported\nclock\t\t: 2.2GHz\n",
         "POWER9 (architected), altivec supported"},
        {"processor\t: 0\nBogoMIPS\t: 50.00\nFeatures\t: fp asimd\nCPU implementer\t: 0x41\n", ""},
        {"model name\t:   \nProcessor\t: fallback\n", "fallback"},
        {"", ""},
    };
    for (const auto &c : cases) {
        const std::string name = Platform::processorNameFromCpuinfo(c.text);
        if (name != c.name)
            std::printf("  got '%s', expected '%s'\n", name.c_str(), c.name);
        CHECK(name == c.name);
    }
}

PLATFORM_TEST(libraryNames)
{
    const struct
    {
        const wchar_t *path;
        bool sharedObject;
        bool dll;
    } cases[] = {
        {L"/usr/lib/libQt5Core.so.5.15.8", true, false},
        {L"/lib/x86_64-linux-gnu/libc.so.6", true, false},
        {L"/opt/tool/libplugin.so", true, false},
        {L"/opt/tool/libplugin.so.1a", false, false},
        {L"/opt/tool/libplugin.so.", false, false},
        {L"/opt/tool/libplugin.so..1", false, false},
        {L"/opt/tool/plugin.sox", false, false},
        {L"/opt/tool/.so", false, false},
        {L"/opt/lib.so.d/tool", false, false},
        {L"/opt/tool/lens", false, false},
        {L"C:\\Windows\\System32\\KERNEL32.DLL", false, true},
        {L"C:\\Tools\\lens.Dll", false, true},
        {L"C:\\Tools\\lens.exe", false, false},
        {L"C:\\Tools\\dll", false, false},
        {L"", false, false},
    };
    for (const auto &c : cases) {
        CHECK(Platform::isSharedObjectName(c.path) == c.sharedObject);
        CHECK(Platform::isDllName(c.path) == c.dll);
    }
}

PLATFORM_TEST(noOpenGlContextNoStrings)
{
    SystemInfo &info = SystemInfo::system();
    CHECK(info.glString(Platform::GlString::Vendor).empty());
    CHECK(info.glString(Platform::GlString::Renderer).empty());
    CHECK(info.glString(Platform::GlString::Version).empty());
}

#if defined(_WIN32)

PLATFORM_TEST(versionAsWineReportsIt)
{
    Platform::OsVersion version;
    CHECK(SystemInfo::system().osVersion(&version));
    // "Microsoft Windows [Version 10.0.19045.3803]" on Windows,
    // "Microsoft Windows 6.1.7601" under Wine: the first dotted number.
    const std::string ver = commandOutput("cmd /c ver");
    const std::size_t at = ver.find_first_of("0123456789");
    CHECK(at != std::string::npos);
    const std::string reported =
        at == std::string::npos ? std::string() : ver.substr(at, ver.find_first_not_of("0123456789.", at) - at);
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
        CHECK(found == !reported.empty());
        // reg query shows numbers in hexadecimal, ours are decimal.
        if (found && reported.compare(0, 2, "0x") == 0)
            CHECK(std::strtoul(reported.c_str(), nullptr, 16) == std::strtoul(value.c_str(), nullptr, 10));
        else if (found)
            CHECK(value == reported);
        else
            CHECK(value.empty());
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

#else

PLATFORM_TEST(noWindowsHere)
{
    Platform::OsVersion version;
    std::string value = "(unchanged)";
    CHECK(!SystemInfo::system().osVersion(&version));
    CHECK(!SystemInfo::system().buildValue("CurrentBuild", &value) && value.empty());
}

PLATFORM_TEST(sharedObjectsWithLibrariesLoadedHere)
{
    void *library = dlopen(BASICS_PROBE_LIBRARY, RTLD_NOW);
    void *plugin = dlopen(BASICS_PROBE_PLUGIN, RTLD_NOW);
    CHECK(library && plugin);
    char executable[4096] = {};
    CHECK(readlink("/proc/self/exe", executable, sizeof executable - 1) > 0);

    std::vector<std::wstring> libraries, all;
    CHECK(SystemInfo::system().loadedModules(false, &libraries) == Platform::ModuleListing::Listed);
    CHECK(SystemInfo::system().loadedModules(true, &all) == Platform::ModuleListing::Listed);
    const std::wstring libraryPath = widen(BASICS_PROBE_LIBRARY);
    const std::wstring pluginPath = widen(BASICS_PROBE_PLUGIN);
    const auto contains = [](const std::vector<std::wstring> &list, const std::wstring &path) {
        for (const std::wstring &entry : list)
            if (entry == path)
                return true;
        return false;
    };
    CHECK(contains(libraries, libraryPath) && contains(all, libraryPath));
    CHECK(!contains(libraries, pluginPath) && contains(all, pluginPath));
    CHECK(!contains(libraries, widen(executable)) && contains(all, widen(executable)));
    CHECK(containsPathEndingIn(libraries, L"/libc.so.6"));
    for (const std::wstring &path : all)
        CHECK(!path.empty() && path[0] == L'/');
    dlclose(plugin);
    dlclose(library);
}

PLATFORM_TEST(cutSignedFilesInMemory)
{
    // The certificate table ends the file: no cut of it still holds a
    // signature, and no cut of the signature decodes as one.
    std::ifstream file(std::string(BASICS_SIGNED_TESTDATA_DIR) + "/leaf-first.exe",
                       std::ios::binary);
    const std::vector<unsigned char> signedFile((std::istreambuf_iterator<char>(file)),
                                                std::istreambuf_iterator<char>());
    std::vector<unsigned char> whole;
    CHECK(Platform::PeSignatureReader::findSignature(signedFile.data(), signedFile.size(), &whole));
    std::string name;
    CHECK(Platform::PeSignatureReader::signerName(whole.data(), whole.size(), &name)
          == SignerLookup::Found);
    for (std::size_t size = 0; size < signedFile.size(); size += 5) {
        std::vector<unsigned char> pkcs7;
        CHECK(!Platform::PeSignatureReader::findSignature(signedFile.data(), size, &pkcs7));
        CHECK(pkcs7.empty());
    }
    // At most 7 bytes of padding follow the signed data.
    for (std::size_t size = 0; size + 8 < whole.size(); size += 3) {
        CHECK(Platform::PeSignatureReader::signerName(whole.data(), size, &name)
              == SignerLookup::NoSignature);
        CHECK(name.empty());
    }
}

#endif

PLATFORM_TEST_MAIN()
