#pragma once

// What a started child reports about itself (see testpeer.cpp): its
// arguments as main gets them, on Windows also as CommandLineToArgvW splits
// its command line, its environment, its directory and (Linux) its open
// descriptors. The child writes the report to the file named by
// BASICS_LAUNCH_REPORT. Texts keep the system's own form: UTF-16LE bytes on
// Windows, bytes (UTF-8) on Linux.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace launchreport {

constexpr char ReportVariable[] = "BASICS_LAUNCH_REPORT";

using Text = std::string;
enum Section { Arguments, ShellArguments, Environment, Directory, Descriptors, SectionCount };
using Report = std::vector<std::vector<Text>>; // one list per Section

inline Text fromUtf16(const std::u16string &text)
{
#if defined(_WIN32)
    return Text(reinterpret_cast<const char *>(text.data()), text.size() * 2);
#else
    Text out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) // tests pass valid pairs only
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        const int extra = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        static const unsigned char lead[] = {0x00, 0xC0, 0xE0, 0xF0};
        out += char(lead[extra] | (c >> (6 * extra)));
        for (int k = extra - 1; k >= 0; --k)
            out += char(0x80 | ((c >> (6 * k)) & 0x3F));
    }
    return out;
#endif
}

inline std::string serialize(const Report &report)
{
    std::string out;
    auto put = [&out](std::uint32_t n) { out.append(reinterpret_cast<const char *>(&n), 4); };
    for (const std::vector<Text> &section : report) {
        put(std::uint32_t(section.size()));
        for (const Text &text : section) {
            put(std::uint32_t(text.size()));
            out += text;
        }
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
        for (; count > 0; --count) {
            if (!get(&size) || data.size() - at < size)
                return false;
            section.push_back(data.substr(at, size));
            at += size;
        }
    }
    return at == data.size();
}

inline bool readFile(const std::string &path, std::string *data)
{
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    data->clear();
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        data->append(buffer, got);
    std::fclose(file);
    return true;
}

// Written under a temporary name and renamed, so a reader never sees half.
inline bool writeFile(const std::string &path, const std::string &data)
{
    const std::string partial = path + ".partial";
    std::FILE *file = std::fopen(partial.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(data.data(), 1, data.size(), file) == data.size();
    return std::fclose(file) == 0 && written && std::rename(partial.c_str(), path.c_str()) == 0;
}

} // namespace launchreport
