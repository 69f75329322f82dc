#pragma once

// Pages of a compiled HTML help file (.chm), read straight from the file:
// what the library's own help window shows where the system has no help
// viewer (Linux).
//
//     Platform::CompiledHelpFile help("/opt/optics/doc/optics.chm");
//     std::string page = help.pageForContext(1001);   // "/intro.htm", or the default page
//     std::string html;
//     if (!page.empty() && help.read(page, &html))
//         ...;
//
//   Linux:   Debian's CHM library (chmlib).
//   Windows: nothing opens; the HTML Help control reads these files itself.
// Paths inside the file are absolute ("/sub/page.htm"). A damaged or
// truncated file gives empty results, never more than MaxObjectSize bytes
// for one page; files whose headers would make chmlib fail are not opened.

#include <basicsdll_export.h>

#include <cstdint>
#include <string>

struct chmFile;

namespace Platform {

class BASICSDLL_EXPORT CompiledHelpFile
{
public:
    /// The largest page read (a help page is rarely more than a few KiB).
    static constexpr std::uint64_t MaxObjectSize = 16u << 20;
    /// The largest system, context map or strings table read.
    static constexpr std::uint64_t MaxTableSize = 1u << 20;

    /// Opens \a path (a file system path in the local 8-bit encoding).
    explicit CompiledHelpFile(const std::string &path);
    ~CompiledHelpFile();
    CompiledHelpFile(const CompiledHelpFile &) = delete;
    CompiledHelpFile &operator=(const CompiledHelpFile &) = delete;

    /// True when the file could be opened as a compiled help file.
    bool isOpen() const;
    /// Whether the file holds a page at \a pagePath.
    bool contains(const std::string &pagePath) const;
    /// Reads the page at \a pagePath into \a content; false when the file
    /// holds none, it is larger than MaxObjectSize or cannot be read whole.
    bool read(const std::string &pagePath, std::string *content) const;
    /// The file's default page ("/index.htm"), or empty when it names none
    /// that it holds.
    std::string defaultPage() const;
    /// The page the file's context map gives \a contextId; the default page
    /// when the file has no map or the map has no such number.
    std::string pageForContext(std::uint32_t contextId) const;

    /// \a page made an absolute path inside the file: a leading slash is
    /// added, backslashes become slashes.
    static std::string absolutePage(const std::string &page);

private:
    std::string pageNamed(const std::string &name) const;
    bool readTable(const char *name, std::string *content) const;

    ::chmFile *m_file = nullptr;
};

} // namespace Platform
