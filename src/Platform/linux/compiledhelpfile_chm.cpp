#include "Platform/compiledhelpfile.h"

#include <chm_lib.h>

#include <algorithm>
#include <cstring>

namespace Platform {

namespace {

std::uint32_t littleEndian32(const std::string &bytes, std::size_t offset)
{
    const auto byte = [&](std::size_t i) { return std::uint32_t(std::uint8_t(bytes[offset + i])); };
    return byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
}

std::uint16_t littleEndian16(const std::string &bytes, std::size_t offset)
{
    return std::uint16_t(std::uint8_t(bytes[offset]) | std::uint8_t(bytes[offset + 1]) << 8);
}

// The NUL-terminated text at \a offset of \a bytes, at most up to \a end.
std::string textAt(const std::string &bytes, std::size_t offset, std::size_t end)
{
    if (offset >= end || end > bytes.size())
        return {};
    const char *start = bytes.data() + offset;
    const void *nul = std::memchr(start, '\0', end - offset);
    return std::string(start, nul ? static_cast<const char *>(nul) : bytes.data() + end);
}

} // namespace

CompiledHelpFile::CompiledHelpFile(const std::string &path)
{
    // chmlib takes a C string: a path with a NUL inside names another file.
    if (!path.empty() && path.find('\0') == std::string::npos)
        m_file = chm_open(path.c_str());
}

CompiledHelpFile::~CompiledHelpFile()
{
    if (m_file)
        chm_close(m_file);
}

bool CompiledHelpFile::isOpen() const
{
    return m_file != nullptr;
}

bool CompiledHelpFile::contains(const std::string &pagePath) const
{
    chmUnitInfo unit;
    return m_file && !pagePath.empty() && pagePath.back() != '/'
        && pagePath.find('\0') == std::string::npos
        && chm_resolve_object(m_file, pagePath.c_str(), &unit) == CHM_RESOLVE_SUCCESS;
}

bool CompiledHelpFile::read(const std::string &pagePath, std::string *content) const
{
    chmUnitInfo unit;
    if (!content || !contains(pagePath)
        || chm_resolve_object(m_file, pagePath.c_str(), &unit) != CHM_RESOLVE_SUCCESS
        || unit.length > MaxObjectSize)
        return false;
    content->assign(std::size_t(unit.length), '\0');
    if (unit.length == 0)
        return true;
    const LONGINT64 got = chm_retrieve_object(m_file, &unit,
                                              reinterpret_cast<unsigned char *>(&(*content)[0]),
                                              0, LONGINT64(unit.length));
    if (got != LONGINT64(unit.length)) {
        content->clear();
        return false;
    }
    return true;
}

std::string CompiledHelpFile::defaultPage() const
{
    // The system file: a version, then records of a 16-bit code, a 16-bit
    // length and that many bytes; code 2 names the default page.
    std::string system;
    if (read("/#SYSTEM", &system)) {
        std::size_t offset = 4;
        while (offset + 4 <= system.size()) {
            const std::uint16_t code = littleEndian16(system, offset);
            const std::size_t length = littleEndian16(system, offset + 2);
            offset += 4;
            if (length > system.size() - offset)
                break;
            if (code == 2) {
                const std::string page = pageNamed(textAt(system, offset, offset + length));
                if (!page.empty())
                    return page;
                break;
            }
            offset += length;
        }
    }
    return contains("/index.htm") ? std::string("/index.htm") : std::string();
}

std::string CompiledHelpFile::pageForContext(std::uint32_t contextId) const
{
    // The context map: a byte count, then pairs of a context number and the
    // offset of the page name in the strings file.
    std::string map;
    if (read("/#IVB", &map) && map.size() >= 4) {
        const std::size_t end = std::min<std::size_t>(map.size(), 4 + std::size_t(littleEndian32(map, 0)));
        for (std::size_t offset = 4; offset + 8 <= end; offset += 8) {
            if (littleEndian32(map, offset) != contextId)
                continue;
            std::string strings;
            if (!read("/#STRINGS", &strings))
                break;
            const std::string page = pageNamed(
                textAt(strings, littleEndian32(map, offset + 4), strings.size()));
            if (!page.empty())
                return page;
            break;
        }
    }
    return defaultPage();
}

std::string CompiledHelpFile::pageNamed(const std::string &name) const
{
    if (name.empty())
        return {};
    // Some compilers record the page with the folder they ran in
    // ("/home/me/project/intro.htm"): when the name as given is not in the
    // file, the longest tail of it that is counts.
    std::string page = absolutePage(name);
    while (true) {
        if (contains(page))
            return page;
        const std::size_t next = page.find('/', 1);
        if (next == std::string::npos)
            return {};
        page.erase(0, next);
    }
}

} // namespace Platform
