#include "Platform/compiledhelpfile.h"

#include <chm_lib.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <limits>

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

std::uint64_t littleEndian64(const std::string &bytes, std::size_t offset)
{
    return littleEndian32(bytes, offset) | std::uint64_t(littleEndian32(bytes, offset + 4)) << 32;
}

// Reads an object stored uncompressed, which chmlib copies without
// decompressing; false for anything else.
bool readUncompressed(chmFile *file, const char *name, std::size_t size, std::string *bytes)
{
    chmUnitInfo unit;
    if (chm_resolve_object(file, name, &unit) != CHM_RESOLVE_SUCCESS
        || unit.space != CHM_UNCOMPRESSED || unit.length < size)
        return false;
    bytes->assign(size, '\0');
    return chm_retrieve_object(file, &unit, reinterpret_cast<unsigned char *>(&(*bytes)[0]), 0,
                               LONGINT64(size))
        == LONGINT64(size);
}

// chmlib divides by the block length of the reset table and by numbers
// derived from the LZX control data without checking them, so a damaged
// file could stop the process. A file whose compressed section lacks sound
// values is not opened. Layouts: reset table = version, block count, an
// unknown word, table offset, then 64-bit uncompressed length, compressed
// length and block length; control data = size, "LZXC", version, reset
// interval, window size, windows per reset (interval and window in units
// of 0x8000 from version 2 on).
bool compressionIsSound(chmFile *file)
{
    std::string control, resetTable;
    const bool controlRead = readUncompressed(
        file, "::DataSpace/Storage/MSCompressed/ControlData", 24, &control);
    const bool tableRead = readUncompressed(
        file,
        "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/"
        "InstanceData/ResetTable",
        40, &resetTable);
    chmUnitInfo content;
    if (chm_resolve_object(file, "::DataSpace/Storage/MSCompressed/Content", &content)
            != CHM_RESOLVE_SUCCESS
        && !controlRead && !tableRead)
        return true; // no compressed section: chmlib reads none
    if (!controlRead || !tableRead || control.compare(4, 4, "LZXC") != 0)
        return false;
    std::uint32_t resetInterval = littleEndian32(control, 12);
    std::uint32_t windowSize = littleEndian32(control, 16);
    const std::uint32_t windowsPerReset = littleEndian32(control, 20);
    if (littleEndian32(control, 8) == 2) {
        resetInterval *= 0x8000u;
        windowSize *= 0x8000u;
    }
    const bool lzxWindow = windowSize >= (1u << 15) && windowSize <= (1u << 21)
        && (windowSize & (windowSize - 1)) == 0;
    if (!lzxWindow || resetInterval == 0 || windowsPerReset == 0
        || resetInterval / (windowSize / 2) * windowsPerReset == 0)
        return false;
    return littleEndian32(resetTable, 0) == 2 && littleEndian64(resetTable, 32) != 0;
}

// chmlib allocates a directory block of the size the file's directory
// header gives (ITSF header: the directory's 64-bit offset at byte 0x48;
// directory header "ITSP": the block length at byte 16), unchecked. Real
// files use 4 or 8 KiB.
bool directoryIsSound(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    char header[0x60] = {};
    if (!file.read(header, sizeof header) || std::memcmp(header, "ITSF", 4) != 0)
        return false;
    const std::string fixed(header, sizeof header);
    const std::uint64_t directory = littleEndian64(fixed, 0x48);
    char itsp[20] = {};
    if (directory > std::uint64_t(std::numeric_limits<std::streamoff>::max())
        || !file.seekg(std::streamoff(directory)) || !file.read(itsp, sizeof itsp)
        || std::memcmp(itsp, "ITSP", 4) != 0)
        return false;
    const std::uint32_t blockLength = littleEndian32(std::string(itsp, sizeof itsp), 16);
    return blockLength >= 64 && blockLength <= (1u << 16);
}

} // namespace

CompiledHelpFile::CompiledHelpFile(const std::string &path)
{
    // chmlib takes a C string: a path with a NUL inside names another file.
    if (path.empty() || path.find('\0') != std::string::npos || !directoryIsSound(path))
        return;
    m_file = chm_open(path.c_str());
    if (m_file && !compressionIsSound(m_file)) {
        chm_close(m_file);
        m_file = nullptr;
    }
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

bool CompiledHelpFile::readTable(const char *name, std::string *content) const
{
    // The file's own tables are small; a huge one is damage.
    chmUnitInfo unit;
    return m_file && chm_resolve_object(m_file, name, &unit) == CHM_RESOLVE_SUCCESS
        && unit.length <= MaxTableSize && read(name, content);
}

std::string CompiledHelpFile::defaultPage() const
{
    // The system file: a version, then records of a 16-bit code, a 16-bit
    // length and that many bytes; code 2 names the default page.
    std::string system;
    if (readTable("/#SYSTEM", &system)) {
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
    if (readTable("/#IVB", &map) && map.size() >= 4) {
        const std::size_t end = std::min<std::size_t>(map.size(), 4 + std::size_t(littleEndian32(map, 0)));
        for (std::size_t offset = 4; offset + 8 <= end; offset += 8) {
            if (littleEndian32(map, offset) != contextId)
                continue;
            std::string strings;
            if (!readTable("/#STRINGS", &strings))
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
