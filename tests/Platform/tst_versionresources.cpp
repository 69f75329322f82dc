// Version resources of PE files: the portable reader on the project's own
// test files (made by pedata/pedata.cmake), damaged copies and every cut and
// single-byte change of them; the program path and UTF-8 conversion; and, on
// Windows (Wine in the test run), agreement of the portable reader with the
// version library on the project's files and on the system's DLLs.

#include "platformcheck.h"

#include "Platform/peversionreader.h"
#include "Platform/serviceoverride.h"
#include "Platform/versionresources.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

using Platform::FixedFileInfo;
using Platform::PeVersionReader;
using Platform::PortableVersionFiles;
using Platform::VersionResources;
namespace fs = std::filesystem;

namespace {

std::wstring widen(const std::string &ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

// The test data folder as this platform names it (under Wine, the Linux
// root is drive Z:).
std::wstring dataPath(const std::string &name)
{
    std::string path = std::string(BASICS_PE_TESTDATA_DIR) + "/" + name;
#if defined(_WIN32)
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
#endif
    return widen(path);
}

std::vector<unsigned char> readAll(const std::wstring &path)
{
    std::ifstream file(fs::path(path), std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(file)),
                                      std::istreambuf_iterator<char>());
}

// Wide form of a path without the locale's help (the tests may run in the C
// locale, where std::filesystem cannot convert names beyond ASCII).
std::wstring wideOf(const fs::path &path)
{
#if defined(_WIN32)
    return path.wstring();
#else
    const std::string utf8 = path.string();
    std::vector<wchar_t> wide(utf8.size() + 1);
    PortableVersionFiles::utf8ToWide(utf8.c_str(), wide.data(), int(wide.size()));
    return std::wstring(wide.data());
#endif
}

bool portableInfo(const std::wstring &path, FixedFileInfo *info)
{
    return PortableVersionFiles::readFixedFileInfo(path, info);
}

struct Expected
{
    const char *file;
    std::uint32_t fileMS, fileLS, productMS, productLS, flags, type;
};

const Expected s_versioned[] = {
    {"versioned.exe", 0x00020005, 0x001F0007, 0x00040000, 0xFFFF000C, 0, 1},
    {"resources64.dll", 0xFFFFFFFE, 0x00010000, 0x00070008, 0x0009000A, 2, 2},
    {"resources32.dll", 0xFFFFFFFE, 0x00010000, 0x00070008, 0x0009000A, 2, 2},
};

const char *const s_unversioned[] = {"unversioned.exe", "othername.dll"};

} // namespace

PLATFORM_TEST(portableReaderReadsTheProjectFiles)
{
    for (const Expected &expected : s_versioned) {
        FixedFileInfo info;
        const bool found = portableInfo(dataPath(expected.file), &info);
        CHECK(found);
        if (!found) {
            std::printf("  no version in %s\n", expected.file);
            continue;
        }
        CHECK(info.signature == FixedFileInfo::Signature);
        CHECK(info.structVersion == 0x00010000);
        CHECK(info.fileVersionMS == expected.fileMS && info.fileVersionLS == expected.fileLS);
        CHECK(info.productVersionMS == expected.productMS
              && info.productVersionLS == expected.productLS);
        CHECK(info.fileFlagsMask == 0x3F && info.fileFlags == expected.flags);
        CHECK(info.fileOS == 0x40004 && info.fileType == expected.type);

        const std::uint32_t size = PortableVersionFiles::blockSize(dataPath(expected.file));
        CHECK(size > FixedFileInfo::Size);
        std::vector<unsigned char> block(size);
        CHECK(PortableVersionFiles::readBlock(dataPath(expected.file), size, block.data()));
        FixedFileInfo fromBlock;
        CHECK(PortableVersionFiles::fixedFileInfo(block.data(), size, &fromBlock)
              && fromBlock == info);
    }
    for (const char *file : s_unversioned) {
        FixedFileInfo info;
        CHECK(!portableInfo(dataPath(file), &info));
        CHECK(PortableVersionFiles::blockSize(dataPath(file)) == 0);
    }
}

PLATFORM_TEST(damagedCopiesHaveNoVersion)
{
    int count = 0;
    for (const auto &entry : fs::directory_iterator(fs::path(dataPath("damaged")))) {
        if (entry.path().extension() != ".bin")
            continue;
        ++count;
        FixedFileInfo info;
        const bool found = PortableVersionFiles::readFixedFileInfo(wideOf(entry.path()), &info);
        CHECK(!found);
        if (found)
            std::printf("  version read from %s\n", entry.path().filename().string().c_str());
    }
    CHECK(count >= 32);
}

PLATFORM_TEST(everyCutAndSingleByteChangeIsReadSafely)
{
    // Whatever the damage, the reader stays inside the input (the sanitizer
    // builds check that) and finds either nothing or a block of the file.
    for (const char *name : {"resources32.dll", "resources64.dll"}) {
        const std::vector<unsigned char> image = readAll(dataPath(name));
        CHECK(image.size() > 512);
        std::vector<unsigned char> whole;
        CHECK(PeVersionReader::findVersionBlock(image.data(), image.size(), &whole));

        int found = 0;
        for (std::size_t length = 0; length <= image.size(); ++length) {
            std::vector<unsigned char> prefix(image.begin(), image.begin() + long(length));
            std::vector<unsigned char> block;
            if (PeVersionReader::findVersionBlock(prefix.data(), prefix.size(), &block)) {
                ++found;
                CHECK(block == whole);
            }
        }
        // The block ends near the end of the file: only the last cuts keep it.
        CHECK(found > 0 && found < 600);

        std::vector<unsigned char> changed = image;
        for (std::size_t i = 0; i < changed.size(); ++i) {
            for (unsigned char value : {0x00, 0xFF, 0x80, 0x7F}) {
                const unsigned char original = changed[i];
                changed[i] = value;
                std::vector<unsigned char> block;
                FixedFileInfo info;
                if (PeVersionReader::findVersionBlock(changed.data(), changed.size(), &block))
                    PeVersionReader::fixedFileInfo(block.data(), block.size(), &info);
                changed[i] = original;
            }
        }
    }
}

PLATFORM_TEST(blockRulesOfTheFixedRecord)
{
    const std::vector<unsigned char> image = readAll(dataPath("versioned.exe"));
    std::vector<unsigned char> block;
    CHECK(PeVersionReader::findVersionBlock(image.data(), image.size(), &block));
    FixedFileInfo info;
    CHECK(PeVersionReader::fixedFileInfo(block.data(), block.size(), &info));
    CHECK(info.fileVersionMS == 0x00020005);

    CHECK(!PeVersionReader::fixedFileInfo(nullptr, 0, &info));
    CHECK(!PeVersionReader::fixedFileInfo(block.data(), 5, &info));
    // Shorter than its own length field says: damaged.
    CHECK(!PeVersionReader::fixedFileInfo(block.data(), block.size() / 2, &info));
    // A key without its terminator runs into the end of the block.
    std::vector<unsigned char> unterminated(block.begin(), block.begin() + 38);
    unterminated[0] = 38;
    unterminated[1] = 0;
    unterminated[36] = 'X';
    CHECK(!PeVersionReader::fixedFileInfo(unterminated.data(), unterminated.size(), &info));
}

PLATFORM_TEST(pathsThatAreNoPeFiles)
{
    const fs::path folder = fs::temp_directory_path() / "basics-versionresources-test";
    std::error_code error;
    fs::remove_all(folder, error);
    fs::create_directories(folder);

    FixedFileInfo info;
    CHECK(!PortableVersionFiles::readFixedFileInfo(L"", &info));
    CHECK(!PortableVersionFiles::readFixedFileInfo(wideOf(folder), &info));
    CHECK(!PortableVersionFiles::readFixedFileInfo(wideOf(folder / "missing.exe"), &info));
    { std::ofstream((folder / "empty.exe").string()); }
    CHECK(!PortableVersionFiles::readFixedFileInfo(wideOf(folder / "empty.exe"), &info));
    { std::ofstream((folder / "text.exe").string()) << "MZ but nothing else"; }
    CHECK(!PortableVersionFiles::readFixedFileInfo(wideOf(folder / "text.exe"), &info));

    // A name beyond ASCII, given as a wide string.
    const fs::path unusual = folder / fs::u8path("Linse \xc3\xa9\xe4\xb8\xad.exe");
    fs::copy_file(fs::path(dataPath("versioned.exe")), unusual, error);
    CHECK(!error);
    CHECK(PortableVersionFiles::readFixedFileInfo(wideOf(unusual), &info)
          && info.fileVersionLS == 0x001F0007);
    // A NUL ends the path, as in the system's calls.
    CHECK(PortableVersionFiles::readFixedFileInfo(wideOf(unusual) + std::wstring(1, L'\0') + L"x",
                                                  &info));

#if !defined(_WIN32)
    // A pipe is never opened: reading it would block.
    const fs::path pipe = folder / "pipe.exe";
    CHECK(::mkfifo(pipe.c_str(), 0600) == 0);
    CHECK(!PortableVersionFiles::readFixedFileInfo(wideOf(pipe), &info));
    CHECK(VersionResources::system().blockSize(wideOf(pipe)) == 0);
#endif
    fs::remove_all(folder, error);
}

PLATFORM_TEST(utf8ConversionCountsTheTerminator)
{
    VersionResources &system = VersionResources::system();
    const char *text = "C:/Linsen/\xc3\xa9\xe4\xb8\xad\xf0\x9f\x94\xad.exe";
    const int needed = system.utf8ToWide(text, nullptr, 0);
    const int portableNeeded = PortableVersionFiles::utf8ToWide(text, nullptr, 0);
    CHECK(needed == portableNeeded);
    std::vector<wchar_t> wide(std::size_t(needed > 0 ? needed : 1));
    CHECK(system.utf8ToWide(text, wide.data(), needed) == needed);
    CHECK(wide[std::size_t(needed) - 1] == L'\0');
    CHECK(wide[10] == 0xE9 && wide[11] == 0x4E2D);
    std::vector<wchar_t> portable(std::size_t(needed > 0 ? needed : 1));
    PortableVersionFiles::utf8ToWide(text, portable.data(), needed);
    CHECK(wide == portable);
    CHECK(system.utf8ToWide("", nullptr, 0) == 1);
    // Too small a buffer: nothing converted.
    CHECK(system.utf8ToWide(text, wide.data(), 3) == 0);

    // Invalid input: U+FFFD for every broken sequence, never a crash.
    wchar_t out[16] = {};
    CHECK(PortableVersionFiles::utf8ToWide("a\xff" "b\xe4\xb8" "c\xed\xa0\x80", out, 16) > 0);
    CHECK(out[0] == L'a' && out[1] == 0xFFFD && out[2] == L'b' && out[3] == 0xFFFD
          && out[4] == L'c' && out[5] == 0xFFFD);
    CHECK(PortableVersionFiles::toUtf8(L"x\u00e9") == "x\xc3\xa9");
}

PLATFORM_TEST(executablePathIsCutLikeTheSystemDoes)
{
    VersionResources &system = VersionResources::system();
    std::vector<wchar_t> buffer(4096);
    const std::uint32_t length = system.executablePath(buffer.data(), 4096);
    CHECK(length > 0 && length < 4096);
    const std::wstring path(buffer.data(), length);
    CHECK(path.find(L"platform_tst_versionresources") != std::wstring::npos);

    wchar_t small[6];
    CHECK(system.executablePath(small, 6) == 6);
    CHECK(std::wstring(small, 5) == path.substr(0, 5));
}

PLATFORM_TEST(scriptedImplementationIsUsedWhileInstalled)
{
    struct Scripted : VersionResources
    {
        std::uint32_t blockSize(const std::wstring &) override { return 7; }
        bool readBlock(const std::wstring &, std::uint32_t, void *) override { return false; }
        bool fixedFileInfo(const void *, std::uint32_t, FixedFileInfo *) override { return false; }
        std::uint32_t executablePath(wchar_t *, std::uint32_t) override { return 0; }
        int utf8ToWide(const char *, wchar_t *, int) override { return 0; }
    } scripted;
    {
        Platform::ScopedOverride<VersionResources> scope(scripted);
        CHECK(VersionResources::instance().blockSize(L"any") == 7);
    }
    CHECK(&VersionResources::instance() == &VersionResources::system());
}

#if defined(_WIN32)

namespace {

// The version library's view of a file: GetFileVersionInfoSizeW,
// GetFileVersionInfoW and VerQueryValueW through the system service.
bool libraryInfo(const std::wstring &path, FixedFileInfo *info)
{
    VersionResources &system = VersionResources::system();
    const std::uint32_t size = system.blockSize(path);
    if (size == 0)
        return false;
    std::vector<unsigned char> block(size);
    return system.readBlock(path, size, block.data())
        && system.fixedFileInfo(block.data(), size, info);
}

struct Comparison
{
    int files = 0;
    int withVersion = 0;
    int differences = 0;
    int libraryCrashes = 0;
};

// The version library may not survive a damaged file (Wine's reads outside
// the file for some of them), so damaged files are handed to it in a child
// process: this program with "--library-info FILE OUTPUT", which writes
// "none" or the record's words to OUTPUT.
int libraryInfoChild(const char *file, const char *output)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter([](EXCEPTION_POINTERS *) -> LONG {
        ExitProcess(3);
        return EXCEPTION_EXECUTE_HANDLER;
    });
    FixedFileInfo info;
    const bool found = libraryInfo(widen(file), &info);
    std::FILE *out = std::fopen(output, "w");
    if (!out)
        return 2;
    if (found)
        std::fprintf(out, "%08x %08x %08x %08x %08x %08x %08x %08x %08x %08x %08x %08x %08x\n",
                     unsigned(info.signature), unsigned(info.structVersion),
                     unsigned(info.fileVersionMS), unsigned(info.fileVersionLS),
                     unsigned(info.productVersionMS), unsigned(info.productVersionLS),
                     unsigned(info.fileFlagsMask), unsigned(info.fileFlags), unsigned(info.fileOS),
                     unsigned(info.fileType), unsigned(info.fileSubtype),
                     unsigned(info.fileDateMS), unsigned(info.fileDateLS));
    else
        std::fprintf(out, "none\n");
    std::fclose(out);
    return 0;
}

enum class ChildResult { Found, None, Crashed };

ChildResult libraryInfoIsolated(const std::string &file, FixedFileInfo *info)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string output = std::string(temp) + "basics-library-info.txt";
    std::remove(output.c_str());
    std::string command = std::string("\"") + self + "\" --library-info \"" + file + "\" \""
        + output + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return ChildResult::Crashed;
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 4);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::FILE *in = std::fopen(output.c_str(), "r");
    if (code != 0 || !in) {
        if (in)
            std::fclose(in);
        return ChildResult::Crashed;
    }
    unsigned words[13] = {};
    const int read = std::fscanf(in, "%x %x %x %x %x %x %x %x %x %x %x %x %x", &words[0],
                                 &words[1], &words[2], &words[3], &words[4], &words[5], &words[6],
                                 &words[7], &words[8], &words[9], &words[10], &words[11],
                                 &words[12]);
    std::fclose(in);
    if (read != 13)
        return ChildResult::None;
    unsigned char bytes[FixedFileInfo::Size];
    for (std::size_t i = 0; i < 13; ++i)
        for (std::size_t b = 0; b < 4; ++b)
            bytes[4 * i + b] = static_cast<unsigned char>(words[i] >> (8 * b));
    *info = FixedFileInfo::fromBytes(bytes);
    return ChildResult::Found;
}

void compareFile(const std::wstring &path, Comparison *comparison)
{
    FixedFileInfo portable, library;
    const bool portableFound = portableInfo(path, &portable);
    const bool libraryFound = libraryInfo(path, &library);
    ++comparison->files;
    comparison->withVersion += libraryFound ? 1 : 0;
    if (portableFound != libraryFound || (portableFound && portable != library)) {
        ++comparison->differences;
        std::printf("  differs: %ls (portable %s, library %s)\n", path.c_str(),
                    portableFound ? "found" : "none", libraryFound ? "found" : "none");
    }
}

// Damaged files: the portable reader refuses them all; where the library
// still reads something, that is its leniency, not a conflict.
void compareDamagedFile(const fs::path &path, Comparison *comparison)
{
    FixedFileInfo portable, library;
    const bool portableFound = portableInfo(wideOf(path), &portable);
    const ChildResult result = libraryInfoIsolated(path.string(), &library);
    ++comparison->files;
    if (result == ChildResult::Crashed) {
        ++comparison->libraryCrashes;
        std::printf("  version library crashed on %s\n", path.filename().string().c_str());
    }
    if (portableFound && (result != ChildResult::Found || portable != library)) {
        ++comparison->differences;
        std::printf("  differs: %s\n", path.filename().string().c_str());
    }
}

} // namespace

PLATFORM_TEST(portableReaderAgreesWithTheVersionLibrary)
{
    Comparison own;
    for (const Expected &expected : s_versioned)
        compareFile(dataPath(expected.file), &own);
    for (const char *file : s_unversioned)
        compareFile(dataPath(file), &own);
    std::printf("  project files: %d compared, %d with a version, %d differences\n", own.files,
                own.withVersion, own.differences);
    CHECK(own.withVersion == 3 && own.differences == 0);

    Comparison damaged;
    for (const auto &entry : fs::directory_iterator(fs::path(dataPath("damaged")))) {
        if (entry.path().extension() == ".bin")
            compareDamagedFile(entry.path(), &damaged);
    }
    std::printf("  damaged files: %d compared, %d differences, version library crashed on %d\n",
                damaged.files, damaged.differences, damaged.libraryCrashes);
    CHECK(damaged.files >= 32 && damaged.differences == 0);

    wchar_t systemFolder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(systemFolder, MAX_PATH);
    CHECK(length > 0 && length < MAX_PATH);
    Comparison system;
    std::error_code error;
    for (const auto &entry : fs::directory_iterator(fs::path(systemFolder), error)) {
        const fs::path extension = entry.path().extension();
        if (entry.is_regular_file(error) && (extension == ".dll" || extension == ".exe"))
            compareFile(wideOf(entry.path()), &system);
    }
    std::printf("  system files: %d compared, %d with a version, %d differences\n", system.files,
                system.withVersion, system.differences);
    CHECK(system.files >= 100 && system.withVersion >= 50 && system.differences == 0);
}

#endif

int main(int argc, char **argv)
{
#if defined(_WIN32)
    if (argc == 4 && std::strcmp(argv[1], "--library-info") == 0)
        return libraryInfoChild(argv[2], argv[3]);
#else
    (void)argc;
    (void)argv;
#endif
    return platformcheck::runAll();
}
