#include "Platform/compiledhelpfile.h"

#include <chm_lib.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <limits>
#include <vector>

#include <strings.h>

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

// chmlib trusts the layout of a file: it allocates a directory block of the
// size the file gives, follows index chunks wherever they point (also in a
// circle), and divides by numbers from the compressed section's control
// data and reset table, some of them inside chm_open. A damaged file could
// thus stop or hang the process. ChmLayout reads what chmlib will rely on,
// the way chmlib reads it, and the file is opened only when all of it is
// sound.
//
// Layout: the "ITSF" header (version 2 or 3) gives the directory's offset at
// 0x48, its length at 0x50 and (version 3) the content's offset at 0x58;
// the "ITSP" directory header (version 1, 0x54 bytes) the chunk size at
// 0x10, the root index chunk at 0x1C (-1: the first listing chunk, at 0x20)
// and the chunk count at 0x2C. Chunks follow it: "PMGL" listings and "PMGI"
// indexes, entries from byte 20 up to the chunk size less its free space
// (at byte 4). A listing entry is a name (its length as a 7-bit encoded
// number, then the bytes), the section, the start and the length (encoded
// numbers); an index entry a name and a chunk number.
class ChmLayout
{
public:
    explicit ChmLayout(const std::string &path)
        : m_file(path, std::ios::binary | std::ios::ate)
    {
        const std::streamoff size = m_file ? std::streamoff(m_file.tellg()) : -1;
        m_fileSize = size > 0 ? std::uint64_t(size) : 0;
    }

    bool sound()
    {
        std::string itsf, itsp;
        if (!bytes(0, 0x60, &itsf) || itsf.compare(0, 4, "ITSF") != 0)
            return false;
        const std::uint32_t version = littleEndian32(itsf, 4);
        const std::uint64_t directory = littleEndian64(itsf, 0x48);
        if ((version != 2 && version != 3) || !bytes(directory, 0x54, &itsp)
            || itsp.compare(0, 4, "ITSP") != 0 || littleEndian32(itsp, 4) != 1
            || littleEndian32(itsp, 8) != 0x54)
            return false;
        m_content = version == 3 ? littleEndian64(itsf, 0x58) : directory + littleEndian64(itsf, 0x50);
        m_chunkSize = littleEndian32(itsp, 0x10);
        m_chunkCount = littleEndian32(itsp, 0x2C);
        m_root = std::int32_t(littleEndian32(itsp, 0x1C));
        if (m_root <= -1)
            m_root = std::int32_t(littleEndian32(itsp, 0x20));
        // Real files use 4 or 8 KiB chunks; the directory must be in the file.
        if (m_chunkSize < 64 || m_chunkSize > (1u << 16) || m_chunkCount == 0
            || directory > m_fileSize
            || m_chunkCount > (m_fileSize - directory) / m_chunkSize
            || !bytes(directory + 0x54, std::size_t(m_chunkCount) * m_chunkSize, &m_chunks)
            || m_root < 0 || std::uint32_t(m_root) >= m_chunkCount || !indexesSound())
            return false;
        return compressionSound();
    }

private:
    struct Entry
    {
        std::string name;
        std::uint64_t section = 0, start = 0, length = 0;
    };

    bool bytes(std::uint64_t offset, std::size_t size, std::string *out)
    {
        if (offset > std::uint64_t(std::numeric_limits<std::streamoff>::max()) - size)
            return false;
        out->assign(size, '\0');
        m_file.clear();
        return m_file.seekg(std::streamoff(offset)) && m_file.read(&(*out)[0], std::streamsize(size));
    }

    // An encoded number at \a offset of chunk text, moving \a offset on.
    bool number(const std::string &chunk, std::size_t end, std::size_t *offset, std::uint64_t *value)
    {
        *value = 0;
        for (int digits = 0; digits < 10 && *offset < end; ++digits) {
            const std::uint8_t byte = std::uint8_t(chunk[(*offset)++]);
            *value = (*value << 7) | (byte & 0x7F);
            if (!(byte & 0x80))
                return true;
        }
        return false;
    }

    // The entries of chunk \a index (a listing or an index); false when one
    // runs past the chunk's end or its name past the longest path chmlib takes.
    bool entries(std::uint32_t index, bool listing, std::vector<Entry> *found)
    {
        const std::string chunk = m_chunks.substr(std::size_t(index) * m_chunkSize, m_chunkSize);
        const std::uint32_t freeSpace = littleEndian32(chunk, 4);
        const std::size_t end = freeSpace < m_chunkSize ? m_chunkSize - freeSpace : 0;
        for (std::size_t offset = listing ? 20 : 8; offset < end;) {
            Entry entry;
            std::uint64_t length = 0;
            if (!number(chunk, end, &offset, &length) || length > 512 || length > end - offset)
                return false;
            entry.name = chunk.substr(offset, std::size_t(length));
            offset += std::size_t(length);
            if (!number(chunk, end, &offset, &entry.section)
                || (listing && (!number(chunk, end, &offset, &entry.start)
                                || !number(chunk, end, &offset, &entry.length))))
                return false;
            found->push_back(entry);
        }
        return true;
    }

    bool isChunk(std::uint32_t index, const char *signature) const
    {
        return m_chunks.compare(std::size_t(index) * m_chunkSize, 4, signature) == 0;
    }

    // Every index entry names a chunk of the directory, and following them
    // never leads in a circle.
    bool indexesSound()
    {
        m_children.assign(m_chunkCount, {});
        for (std::uint32_t i = 0; i < m_chunkCount; ++i) {
            std::vector<Entry> found;
            if ((isChunk(i, "PMGL") && !entries(i, true, &found))
                || (isChunk(i, "PMGI") && !entries(i, false, &found)))
                return false;
            for (const Entry &entry : isChunk(i, "PMGI") ? found : std::vector<Entry>()) {
                const int page = int(entry.section);
                if (page != -1 && (page < 0 || std::uint32_t(page) >= m_chunkCount))
                    return false;
                if (page != -1)
                    m_children[i].push_back(std::uint32_t(page));
            }
        }
        std::vector<int> state(m_chunkCount, 0); // 0 new, 1 on the path, 2 done
        std::vector<std::pair<std::uint32_t, std::size_t>> path{{std::uint32_t(m_root), 0}};
        state[std::size_t(m_root)] = 1;
        while (!path.empty()) {
            auto &[chunk, next] = path.back();
            if (next == m_children[chunk].size()) {
                state[chunk] = 2;
                path.pop_back();
                continue;
            }
            const std::uint32_t child = m_children[chunk][next++];
            if (state[child] == 1)
                return false;
            if (state[child] == 0) {
                state[child] = 1;
                path.push_back({child, 0});
            }
        }
        return true;
    }

    // The entry chmlib finds for \a name: down the indexes by the last entry
    // not after the name, then the exact name (case ignored) in a listing.
    bool resolve(const char *name, Entry *result)
    {
        int page = m_root;
        while (page != -1) {
            std::vector<Entry> found;
            if (isChunk(std::uint32_t(page), "PMGL")) {
                entries(std::uint32_t(page), true, &found);
                for (const Entry &entry : found) {
                    if (strcasecmp(entry.name.c_str(), name) == 0) {
                        *result = entry;
                        return true;
                    }
                }
                return false;
            }
            if (!isChunk(std::uint32_t(page), "PMGI"))
                return false;
            entries(std::uint32_t(page), false, &found);
            int next = -1;
            for (const Entry &entry : found) {
                if (strcasecmp(entry.name.c_str(), name) > 0)
                    break;
                next = int(entry.section);
            }
            page = next;
        }
        return false;
    }

    // Without all three parts of the compressed section chmlib reads none of
    // it; with them, its control data and reset table must be sound (see the
    // layouts in the comments of the checks).
    bool compressionSound()
    {
        // chmlib leaves the section out only when a part is missing or
        // marked compressed (section 1); any other section number counts as
        // stored plainly.
        Entry resetTable, content, control;
        if (!resolve("::DataSpace/Storage/MSCompressed/Transform/"
                     "{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/InstanceData/ResetTable",
                     &resetTable)
            || resetTable.section == 1
            || !resolve("::DataSpace/Storage/MSCompressed/Content", &content) || content.section == 1
            || !resolve("::DataSpace/Storage/MSCompressed/ControlData", &control)
            || control.section == 1)
            return true;
        // chm_open reads the control data as an object: in any section but
        // the plain one (0) that means decompressing before it can.
        if (resetTable.section != 0 || content.section != 0 || control.section != 0)
            return false;
        // Reset table: version, block count, a word, table offset, then
        // 64-bit uncompressed length, compressed length and block length.
        std::string table, lzxc;
        // chmlib allocates blocks of the block length (real files: 32 KiB).
        if (!bytes(m_content + resetTable.start, 40, &table) || littleEndian32(table, 0) != 2
            || littleEndian64(table, 32) == 0 || littleEndian64(table, 32) > (1u << 21))
            return false;
        // Control data: size, "LZXC", version, reset interval, window size,
        // windows per reset (interval and window in units of 0x8000 from
        // version 2 on); the window an LZX one, 2^15 to 2^21 bytes.
        if (!bytes(m_content + control.start, 0x1C, &lzxc) || lzxc.compare(4, 4, "LZXC") != 0)
            return false;
        std::uint32_t resetInterval = littleEndian32(lzxc, 12);
        std::uint32_t windowSize = littleEndian32(lzxc, 16);
        const std::uint32_t windowsPerReset = littleEndian32(lzxc, 20);
        if (littleEndian32(lzxc, 8) == 2) {
            resetInterval *= 0x8000u;
            windowSize *= 0x8000u;
        }
        return windowSize >= (1u << 15) && windowSize <= (1u << 21)
            && (windowSize & (windowSize - 1)) == 0 && windowsPerReset != 0
            && resetInterval / (windowSize / 2) * windowsPerReset != 0;
    }

    std::ifstream m_file;
    std::uint64_t m_fileSize = 0;
    std::uint64_t m_content = 0;
    std::uint32_t m_chunkSize = 0, m_chunkCount = 0;
    std::int32_t m_root = -1;
    std::string m_chunks;
    std::vector<std::vector<std::uint32_t>> m_children;
};

} // namespace

CompiledHelpFile::CompiledHelpFile(const std::string &path)
{
    // chmlib takes a C string: a path with a NUL inside names another file.
    if (!path.empty() && path.find('\0') == std::string::npos && ChmLayout(path).sound())
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
