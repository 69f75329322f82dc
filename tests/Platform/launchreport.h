#pragma once

// What a started child reports about itself, for tests that start real
// processes: its arguments as the C runtime hands them to main (and, on
// Windows, as CommandLineToArgvW splits its command line), its environment
// and its working directory. The reporter program (launchreporter.cpp)
// writes the report to the file named by the variable BASICS_LAUNCH_REPORT
// and exits; tests read it back. Texts are kept in the system's own form:
// UTF-16LE bytes on Windows, bytes (UTF-8) on Linux.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace launchreport {

constexpr char ReportVariable[] = "BASICS_LAUNCH_REPORT";

using Text = std::string;

struct Report
{
    std::vector<Text> runtimeArguments; // argv of main
    std::vector<Text> shellArguments;   // CommandLineToArgvW (Windows only)
    Text commandLine;                   // GetCommandLineW (Windows only)
    std::vector<Text> environment;      // "name=value" entries
    Text directory;
    std::vector<Text> descriptors;      // "fd -> target" (Linux only)
};

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
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))};
        } else if (c < 0x10000) {
            out += {char(0xE0 | (c >> 12)), char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))};
        } else {
            out += {char(0xF0 | (c >> 18)), char(0x80 | ((c >> 12) & 0x3F)),
                    char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))};
        }
    }
    return out;
#endif
}

inline void putText(std::string &out, const Text &text)
{
    const std::uint32_t size = std::uint32_t(text.size());
    out.append(reinterpret_cast<const char *>(&size), sizeof size);
    out += text;
}

inline void putList(std::string &out, const std::vector<Text> &list)
{
    const std::uint32_t count = std::uint32_t(list.size());
    out.append(reinterpret_cast<const char *>(&count), sizeof count);
    for (const Text &text : list)
        putText(out, text);
}

inline std::string serialize(const Report &report)
{
    std::string out;
    putList(out, report.runtimeArguments);
    putList(out, report.shellArguments);
    putText(out, report.commandLine);
    putList(out, report.environment);
    putText(out, report.directory);
    putList(out, report.descriptors);
    return out;
}

class Reader
{
public:
    explicit Reader(const std::string &data) : m_data(data) {}
    bool text(Text *out)
    {
        std::uint32_t size = 0;
        if (!number(&size) || m_data.size() - m_at < size)
            return false;
        *out = m_data.substr(m_at, size);
        m_at += size;
        return true;
    }
    bool list(std::vector<Text> *out)
    {
        std::uint32_t count = 0;
        if (!number(&count))
            return false;
        out->resize(count);
        for (Text &text : *out) {
            if (!this->text(&text))
                return false;
        }
        return true;
    }
    bool atEnd() const { return m_at == m_data.size(); }

private:
    bool number(std::uint32_t *value)
    {
        if (m_data.size() - m_at < sizeof *value)
            return false;
        m_data.copy(reinterpret_cast<char *>(value), sizeof *value, m_at);
        m_at += sizeof *value;
        return true;
    }
    const std::string &m_data;
    std::size_t m_at = 0;
};

inline bool parse(const std::string &data, Report *report)
{
    Reader reader(data);
    return reader.list(&report->runtimeArguments) && reader.list(&report->shellArguments)
        && reader.text(&report->commandLine) && reader.list(&report->environment)
        && reader.text(&report->directory) && reader.list(&report->descriptors)
        && reader.atEnd();
}

inline bool readFile(const std::string &path, std::string *data)
{
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    data->clear();
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
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
    if (std::fclose(file) != 0 || !written)
        return false;
    return std::rename(partial.c_str(), path.c_str()) == 0;
}

} // namespace launchreport
