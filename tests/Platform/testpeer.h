#pragma once

// What the test peer (testpeer.cpp) reports: its arguments (on Windows also
// as CommandLineToArgvW splits them), environment, directory and (Linux) open
// descriptors, as UTF-16LE bytes on Windows and UTF-8 on Linux.

#include <codecvt>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <locale>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <cstdlib>
#include <unistd.h>
#endif

namespace testpeer {

constexpr char ReportVariable[] = "BASICS_LAUNCH_REPORT";
constexpr int StopNumber = -424242; // the order number that tells a peer window to leave

using Text = std::string;
enum Section { Arguments, ShellArguments, Environment, Directory, Descriptors, SectionCount };
using Report = std::vector<std::vector<Text>>; // one list per Section

inline Text fromUtf16(const std::u16string &text)
{
#if defined(_WIN32)
    return Text(reinterpret_cast<const char *>(text.data()), text.size() * 2);
#else
    return std::wstring_convert<std::codecvt_utf8_utf16<char16_t>, char16_t>().to_bytes(text);
#endif
}

// Each list as its length, then each text as its length and its bytes.
inline std::string serialize(const Report &report)
{
    std::string out;
    auto put = [&out](std::uint32_t n) { out.append(reinterpret_cast<const char *>(&n), 4); };
    for (const std::vector<Text> &section : report) {
        put(std::uint32_t(section.size()));
        for (const Text &text : section)
            put(std::uint32_t(text.size())), out += text;
    }
    return out;
}

inline bool parse(const std::string &data, Report *report)
{
    std::size_t at = 0;
    auto get = [&](std::uint32_t *n) {
        return data.size() - at >= 4 && (data.copy(reinterpret_cast<char *>(n), 4, at), at += 4);
    };
    report->assign(SectionCount, {});
    for (std::vector<Text> &section : *report) {
        std::uint32_t count = 0, size = 0;
        if (!get(&count))
            return false;
        for (; count > 0; --count, at += size) {
            if (!get(&size) || data.size() - at < size)
                return false;
            section.push_back(data.substr(at, size));
        }
    }
    return at == data.size();
}

inline bool readFile(const std::string &path, std::string *data)
{
    std::ifstream file(path, std::ios::binary);
    data->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return file.is_open();
}

// Written under a temporary name and renamed, so a reader never sees half.
inline bool writeFile(const std::string &path, const std::string &data)
{
    const std::string partial = path + ".partial";
    {
        std::ofstream file(partial, std::ios::binary);
        if (!(file << data).flush())
            return false;
    }
    return std::rename(partial.c_str(), path.c_str()) == 0;
}

#if defined(_WIN32)
constexpr char Separator = '\\';
inline std::string programPath()
{
    char path[MAX_PATH] = {};
    return std::string(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
}
inline std::string newDirectory()
{
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    static int counter = 0; // Wine reuses process ids: the time tells runs apart
    std::string path;
    do
        path = base + std::to_string(GetTickCount64()) + "-" + std::to_string(counter++);
    while (!CreateDirectoryA(path.c_str(), nullptr));
    return path;
}
#else
constexpr char Separator = '/';
inline std::string programPath()
{
    char path[4096] = {};
    const ssize_t size = readlink("/proc/self/exe", path, sizeof path);
    return std::string(path, std::size_t(size > 0 ? size : 0));
}
inline std::string newDirectory()
{
    std::string pattern = "/tmp/basics-peer-XXXXXX";
    return mkdtemp(&pattern[0]);
}
#endif

// The peer, built next to the tests.
inline std::string peerPath()
{
    const std::string self = programPath();
    return self.substr(0, self.rfind(Separator) + 1) + (Separator == '/' ? "platform_testpeer" : "platform_testpeer.exe");
}

} // namespace testpeer
