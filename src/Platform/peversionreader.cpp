#include "Platform/peversionreader.h"

#include "Platform/peheaders_p.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace Platform {

bool pe::readChecked(const PeVersionReader::ReadAt &read, std::uint64_t imageSize,
                     std::uint64_t offset, void *target, std::size_t size)
{
    if (offset > imageSize || size > imageSize - offset)
        return false;
    return size == 0 || read(offset, target, size);
}

bool pe::readHeaders(const PeVersionReader::ReadAt &read, std::uint64_t imageSize,
                     std::size_t directory, Headers *headers)
{
    unsigned char dos[64];
    if (!readChecked(read, imageSize, 0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
        return false;
    const std::uint64_t peOffset = u32(dos + 0x3C);

    unsigned char fileHeader[24]; // "PE\0\0" and the COFF file header
    if (!readChecked(read, imageSize, peOffset, fileHeader, sizeof fileHeader)
        || std::memcmp(fileHeader, "PE\0\0", 4) != 0)
        return false;
    const std::uint16_t optionalSize = u16(fileHeader + 4 + 16);

    // Only the optional header's part up to the data directories is needed.
    unsigned char optional[240] = {};
    const std::size_t optionalRead = std::min<std::size_t>(optionalSize, sizeof optional);
    if (optionalRead < 2 || !readChecked(read, imageSize, peOffset + 24, optional, optionalRead))
        return false;
    std::size_t countOffset = 0;
    switch (u16(optional)) {
    case 0x10B: countOffset = 92; break;  // PE32
    case 0x20B: countOffset = 108; break; // PE32+
    default: return false;
    }
    const std::size_t entry = countOffset + 4 + directory * 8;
    if (optionalRead < entry + 8 || u32(optional + countOffset) <= directory)
        return false;
    headers->sectionTable = peOffset + 24 + optionalSize;
    headers->sectionCount = u16(fileHeader + 4 + 2);
    headers->directoryAddress = u32(optional + entry);
    headers->directorySize = u32(optional + entry + 4);
    return true;
}

namespace {

using pe::u16;
using pe::u32;

constexpr std::size_t ResourceDirectory = 2;

constexpr std::uint32_t ResourceTypeVersion = 16; // RT_VERSION
constexpr std::uint32_t VersionResourceName = 1;  // VS_VERSION_INFO
constexpr std::uint32_t LanguageNeutral = 0;
constexpr std::uint32_t LanguageUsEnglish = 0x0409;
constexpr std::uint32_t HighBit = 0x80000000u;

struct Section
{
    std::uint32_t virtualAddress;
    std::uint32_t rawSize;
    std::uint32_t rawOffset;
};

struct DirectoryEntry
{
    std::uint32_t name;   // an id, or HighBit | offset of a name string
    std::uint32_t target; // HighBit | offset of a subdirectory, or offset of a data entry
};

// One PE image, read piecewise through ReadAt. Every read is checked; the
// structures are decoded from the bytes actually read.
class Image
{
public:
    Image(const PeVersionReader::ReadAt &read, std::uint64_t size) : m_read(read), m_size(size) {}

    bool read(std::uint64_t offset, void *target, std::size_t size) const
    {
        return pe::readChecked(m_read, m_size, offset, target, size);
    }

    bool readHeaders()
    {
        pe::Headers headers;
        if (!pe::readHeaders(m_read, m_size, ResourceDirectory, &headers))
            return false;
        m_resourceRva = headers.directoryAddress;
        if (m_resourceRva == 0)
            return false;

        const std::uint16_t sectionCount = headers.sectionCount;
        std::vector<unsigned char> table(std::size_t(sectionCount) * 40);
        if (!read(headers.sectionTable, table.data(), table.size()))
            return false;
        m_sections.reserve(sectionCount);
        for (std::size_t i = 0; i < sectionCount; ++i) {
            const unsigned char *entry = table.data() + i * 40;
            m_sections.push_back({u32(entry + 12), u32(entry + 16), u32(entry + 20)});
        }
        return true;
    }

    /// Reads \a size bytes at the relative virtual address \a rva, which
    /// must lie with all its bytes in the file data of one section.
    bool readRva(std::uint64_t rva, void *target, std::size_t size) const
    {
        for (const Section &section : m_sections) {
            if (rva < section.virtualAddress)
                continue;
            const std::uint64_t inSection = rva - section.virtualAddress;
            if (inSection >= section.rawSize || size > section.rawSize - inSection)
                continue;
            return read(std::uint64_t(section.rawOffset) + inSection, target, size);
        }
        return false;
    }

    /// The entries of the resource directory at \a offset (relative to the
    /// start of the resource table).
    bool readDirectory(std::uint32_t offset, std::vector<DirectoryEntry> *entries) const
    {
        unsigned char header[16];
        const std::uint64_t rva = std::uint64_t(m_resourceRva) + offset;
        if (!readRva(rva, header, sizeof header))
            return false;
        const std::size_t count = std::size_t(u16(header + 12)) + u16(header + 14);
        std::vector<unsigned char> raw(count * 8);
        if (!readRva(rva + 16, raw.data(), raw.size()))
            return false;
        entries->clear();
        for (std::size_t i = 0; i < count; ++i)
            entries->push_back({u32(raw.data() + i * 8), u32(raw.data() + i * 8 + 4)});
        return true;
    }

    std::uint32_t resourceRva() const { return m_resourceRva; }

private:
    const PeVersionReader::ReadAt &m_read;
    std::uint64_t m_size;
    std::uint32_t m_resourceRva = 0;
    std::vector<Section> m_sections;
};

const DirectoryEntry *findId(const std::vector<DirectoryEntry> &entries, std::uint32_t id)
{
    for (const DirectoryEntry &entry : entries) {
        if (entry.name == id) // named entries have the high bit set
            return &entry;
    }
    return nullptr;
}

// Descends into a subdirectory entry; false for a data entry.
bool enter(const Image &image, const DirectoryEntry *entry, std::vector<DirectoryEntry> *entries)
{
    return entry && (entry->target & HighBit)
        && image.readDirectory(entry->target & ~HighBit, entries);
}

} // namespace

FixedFileInfo FixedFileInfo::fromBytes(const unsigned char *bytes)
{
    FixedFileInfo info;
    std::uint32_t *fields[] = {&info.signature,        &info.structVersion,   &info.fileVersionMS,
                               &info.fileVersionLS,    &info.productVersionMS, &info.productVersionLS,
                               &info.fileFlagsMask,    &info.fileFlags,       &info.fileOS,
                               &info.fileType,         &info.fileSubtype,     &info.fileDateMS,
                               &info.fileDateLS};
    for (std::size_t i = 0; i < 13; ++i)
        *fields[i] = u32(bytes + 4 * i);
    return info;
}

bool FixedFileInfo::operator==(const FixedFileInfo &o) const
{
    return signature == o.signature && structVersion == o.structVersion
        && fileVersionMS == o.fileVersionMS && fileVersionLS == o.fileVersionLS
        && productVersionMS == o.productVersionMS && productVersionLS == o.productVersionLS
        && fileFlagsMask == o.fileFlagsMask && fileFlags == o.fileFlags && fileOS == o.fileOS
        && fileType == o.fileType && fileSubtype == o.fileSubtype && fileDateMS == o.fileDateMS
        && fileDateLS == o.fileDateLS;
}

bool PeVersionReader::findVersionBlock(const ReadAt &read, std::uint64_t fileSize,
                                       std::vector<unsigned char> *block)
{
    block->clear();
    Image image(read, fileSize);
    if (!image.readHeaders())
        return false;

    // Type, name and language levels of the resource tree.
    std::vector<DirectoryEntry> types, names, languages;
    if (!image.readDirectory(0, &types) || !enter(image, findId(types, ResourceTypeVersion), &names)
        || !enter(image, findId(names, VersionResourceName), &languages) || languages.empty())
        return false;
    const DirectoryEntry *language = findId(languages, LanguageNeutral);
    if (!language)
        language = findId(languages, LanguageUsEnglish);
    if (!language)
        language = &languages.front();
    if (language->target & HighBit)
        return false;

    unsigned char dataEntry[16];
    if (!image.readRva(std::uint64_t(image.resourceRva()) + language->target, dataEntry,
                       sizeof dataEntry))
        return false;
    const std::size_t size = std::min<std::size_t>(u32(dataEntry + 4), MaxBlockSize);
    if (size == 0)
        return false;
    block->resize(size);
    if (!image.readRva(u32(dataEntry), block->data(), size)) {
        block->clear();
        return false;
    }
    return true;
}

PeVersionReader::ReadAt PeVersionReader::memoryReader(const unsigned char *data, std::size_t size)
{
    return [data, size](std::uint64_t offset, void *target, std::size_t count) {
        if (offset > size || count > size - offset)
            return false;
        std::memcpy(target, data + offset, count);
        return true;
    };
}

bool PeVersionReader::readFile(const std::filesystem::path &path,
                               const std::function<bool(const ReadAt &, std::uint64_t)> &use)
{
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error))
        return false;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    file.seekg(0, std::ios::end);
    const std::streamoff end = file.tellg();
    if (end <= 0)
        return false;
    const ReadAt read = [&file](std::uint64_t offset, void *target, std::size_t count) {
        file.clear();
        file.seekg(std::streamoff(offset));
        file.read(static_cast<char *>(target), std::streamsize(count));
        return file && std::size_t(file.gcount()) == count;
    };
    return use(read, std::uint64_t(end));
}

bool PeVersionReader::findVersionBlock(const unsigned char *data, std::size_t size,
                                       std::vector<unsigned char> *block)
{
    return findVersionBlock(memoryReader(data, size), size, block);
}

bool PeVersionReader::findVersionBlockInFile(const std::filesystem::path &path,
                                             std::vector<unsigned char> *block)
{
    block->clear();
    return readFile(path, [block](const ReadAt &read, std::uint64_t size) {
        return findVersionBlock(read, size, block);
    });
}

bool PeVersionReader::fixedFileInfo(const unsigned char *block, std::size_t size,
                                    FixedFileInfo *info)
{
    // VS_VERSIONINFO: wLength, wValueLength, wType, a NUL-terminated UTF-16
    // key, padding to 32 bits, then the value: the fixed record.
    if (!block || size < 6)
        return false;
    const std::size_t length = u16(block);
    const std::size_t valueLength = u16(block + 2);
    if (length < 6 || length > size)
        return false;
    std::size_t position = 6;
    while (true) {
        if (position + 2 > length)
            return false;
        const bool terminator = u16(block + position) == 0;
        position += 2;
        if (terminator)
            break;
    }
    position = (position + 3) & ~std::size_t(3);
    if (valueLength < FixedFileInfo::Size || position > length
        || FixedFileInfo::Size > length - position)
        return false;
    const FixedFileInfo record = FixedFileInfo::fromBytes(block + position);
    if (record.signature != FixedFileInfo::Signature)
        return false;
    *info = record;
    return true;
}

} // namespace Platform
