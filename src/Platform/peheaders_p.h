#pragma once

// The headers of a PE image (executable or DLL) as the portable readers need
// them: where the section table is and one entry of the data directory.
// Every read is checked against the image's length first.

#include "Platform/peversionreader.h"

#include <cstddef>
#include <cstdint>

namespace Platform {
namespace pe {

inline std::uint16_t u16(const unsigned char *p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

inline std::uint32_t u32(const unsigned char *p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16)
        | (std::uint32_t(p[3]) << 24);
}

/// \a read limited to the \a imageSize bytes of the image: an offset or
/// length beyond it fails before it reaches \a read.
bool readChecked(const PeVersionReader::ReadAt &read, std::uint64_t imageSize,
                 std::uint64_t offset, void *target, std::size_t size);

struct Headers
{
    std::uint64_t sectionTable = 0; ///< file offset of the section table
    std::uint16_t sectionCount = 0;
    std::uint32_t directoryAddress = 0; ///< of the data directory entry asked for
    std::uint32_t directorySize = 0;
};

/// Reads the DOS, PE and optional headers (PE32 or PE32+) of the image and
/// the data directory entry \a directory (2 resources, 4 security); false
/// when the image is no PE image or has no such entry.
bool readHeaders(const PeVersionReader::ReadAt &read, std::uint64_t imageSize,
                 std::size_t directory, Headers *headers);

} // namespace pe
} // namespace Platform
