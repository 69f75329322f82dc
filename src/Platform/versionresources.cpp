#include "Platform/versionresources.h"

#include "Platform/serviceoverride.h"

#include <cstring>
#include <vector>

namespace Platform {

namespace {
OverrideSlot<VersionResources> s_override;

// A version block is rarely more than a few KiB; anything far beyond is not
// allocated.
constexpr std::uint32_t MaxBlockSize = 16u << 20;

constexpr char32_t Replacement = 0xFFFD;

// Decodes one code point at \a p; invalid input yields U+FFFD and consumes
// the longest prefix that could have started a valid sequence (at least one
// byte). Returns the number of bytes consumed.
std::size_t decodeUtf8(const unsigned char *p, char32_t *codePoint)
{
    const unsigned char lead = p[0];
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    }
    std::size_t needed = 0;
    unsigned char low = 0x80, high = 0xBF;
    char32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        needed = 1;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        needed = 2;
        value = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0; // no overlong forms
        if (lead == 0xED)
            high = 0x9F; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        needed = 3;
        value = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F; // nothing above U+10FFFF
    } else {
        *codePoint = Replacement;
        return 1;
    }
    for (std::size_t i = 1; i <= needed; ++i) {
        const unsigned char next = p[i]; // a NUL stops here: it is no continuation byte
        if (next < low || next > high) {
            *codePoint = Replacement;
            return i;
        }
        low = 0x80;
        high = 0xBF;
        value = (value << 6) | (next & 0x3F);
    }
    *codePoint = value;
    return needed + 1;
}

void appendWide(std::wstring *target, char32_t codePoint)
{
    if (sizeof(wchar_t) == 2 && codePoint >= 0x10000) {
        codePoint -= 0x10000;
        target->push_back(wchar_t(0xD800 + (codePoint >> 10)));
        target->push_back(wchar_t(0xDC00 + (codePoint & 0x3FF)));
    } else {
        target->push_back(wchar_t(codePoint));
    }
}

void appendUtf8(std::string *target, char32_t c)
{
    if (c < 0x80) {
        target->push_back(char(c));
    } else if (c < 0x800) {
        target->push_back(char(0xC0 | (c >> 6)));
        target->push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        target->push_back(char(0xE0 | (c >> 12)));
        target->push_back(char(0x80 | ((c >> 6) & 0x3F)));
        target->push_back(char(0x80 | (c & 0x3F)));
    } else {
        target->push_back(char(0xF0 | (c >> 18)));
        target->push_back(char(0x80 | ((c >> 12) & 0x3F)));
        target->push_back(char(0x80 | ((c >> 6) & 0x3F)));
        target->push_back(char(0x80 | (c & 0x3F)));
    }
}

std::filesystem::path filePath(const std::wstring &path)
{
    const std::wstring untilNul(path.c_str());
#if defined(_WIN32)
    return std::filesystem::path(untilNul);
#else
    return std::filesystem::path(PortableVersionFiles::toUtf8(untilNul));
#endif
}

} // namespace

VersionResources::~VersionResources() = default;

VersionResources &VersionResources::instance()
{
    return s_override.current();
}

VersionResources *VersionResources::install(VersionResources *scripted)
{
    return s_override.exchange(scripted);
}

std::uint32_t PortableVersionFiles::blockSize(const std::wstring &path)
{
    std::vector<unsigned char> block;
    if (!PeVersionReader::findVersionBlockInFile(filePath(path), &block))
        return 0;
    return std::uint32_t(block.size());
}

bool PortableVersionFiles::readBlock(const std::wstring &path, std::uint32_t size, void *target)
{
    std::vector<unsigned char> block;
    if (!target || !PeVersionReader::findVersionBlockInFile(filePath(path), &block))
        return false;
    // The file may have changed since blockSize(): never write past size.
    const std::size_t count = block.size() < size ? block.size() : size;
    std::memcpy(target, block.data(), count);
    return true;
}

bool PortableVersionFiles::fixedFileInfo(const void *block, std::uint32_t size,
                                         FixedFileInfo *info)
{
    return PeVersionReader::fixedFileInfo(static_cast<const unsigned char *>(block), size, info);
}

bool PortableVersionFiles::readFixedFileInfo(const std::wstring &path, FixedFileInfo *info)
{
    std::vector<unsigned char> block;
    return PeVersionReader::findVersionBlockInFile(filePath(path), &block)
        && PeVersionReader::fixedFileInfo(block.data(), block.size(), info);
}

std::string PortableVersionFiles::toUtf8(const std::wstring &text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size() && text[i] != 0; ++i) {
        char32_t c = char32_t(text[i]);
        if (sizeof(wchar_t) == 2) {
            c &= 0xFFFF;
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
                const char32_t next = char32_t(text[i + 1]) & 0xFFFF;
                if (next >= 0xDC00 && next <= 0xDFFF) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
                    ++i;
                }
            }
        }
        if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
            c = Replacement;
        appendUtf8(&result, c);
    }
    return result;
}

int PortableVersionFiles::utf8ToWide(const char *text, wchar_t *target, int capacity)
{
    if (!text || capacity < 0)
        return 0;
    std::wstring wide;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
    while (*p) {
        char32_t codePoint = 0;
        p += decodeUtf8(p, &codePoint);
        appendWide(&wide, codePoint);
    }
    wide.push_back(L'\0');
    if (wide.size() > 0x7FFFFFFF)
        return 0;
    const int needed = int(wide.size());
    if (capacity == 0)
        return needed;
    if (!target || capacity < needed)
        return 0;
    std::memcpy(target, wide.data(), wide.size() * sizeof(wchar_t));
    return needed;
}

bool queryFixedFileInfo(const std::wstring &path, FixedFileInfo *info)
{
    VersionResources &resources = VersionResources::instance();
    const std::uint32_t size = resources.blockSize(path);
    if (size == 0 || size > MaxBlockSize)
        return false;
    std::vector<unsigned char> block(size, 0);
    return resources.readBlock(path, size, block.data())
           && resources.fixedFileInfo(block.data(), size, info);
}

} // namespace Platform
