#pragma once

// A portable reader of the version resource of Windows executables and DLLs
// (PE32 and PE32+), for places where the Windows version library is not at
// hand. It reads untrusted files: every offset and size taken from the file
// is checked against what was actually read before it is used, and nothing
// is ever read outside the input.
//
// Two steps, as on Windows:
//  1. findVersionBlock(): DOS header -> PE header -> resource data directory
//     -> section table -> resource tree (type RT_VERSION, name 1, language
//     neutral, else US English, else the first) -> the resource bytes, i.e.
//     the VS_VERSIONINFO block.
//  2. fixedFileInfo(): the VS_FIXEDFILEINFO value of the block's root,
//     accepted only with its signature 0xFEEF04BD.

#include <basicsdll_export.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace Platform {

/// The fixed file information record of a version resource, field by field
/// in file order (all little-endian 32-bit words).
struct BASICSDLL_EXPORT FixedFileInfo
{
    std::uint32_t signature = 0;
    std::uint32_t structVersion = 0;
    std::uint32_t fileVersionMS = 0;
    std::uint32_t fileVersionLS = 0;
    std::uint32_t productVersionMS = 0;
    std::uint32_t productVersionLS = 0;
    std::uint32_t fileFlagsMask = 0;
    std::uint32_t fileFlags = 0;
    std::uint32_t fileOS = 0;
    std::uint32_t fileType = 0;
    std::uint32_t fileSubtype = 0;
    std::uint32_t fileDateMS = 0;
    std::uint32_t fileDateLS = 0;

    static constexpr std::uint32_t Signature = 0xFEEF04BDu;
    static constexpr std::size_t Size = 13 * 4;

    /// Decodes the record from \a bytes (at least Size bytes).
    static FixedFileInfo fromBytes(const unsigned char *bytes);
    bool operator==(const FixedFileInfo &other) const;
    bool operator!=(const FixedFileInfo &other) const { return !(*this == other); }
};

class BASICSDLL_EXPORT PeVersionReader
{
public:
    /// Reads \a size bytes at \a offset into \a target; false when the input
    /// ends before (nothing is then assumed about \a target).
    using ReadAt = std::function<bool(std::uint64_t offset, void *target, std::size_t size)>;

    /// Version blocks are at most 64 KiB (their length is a 16-bit field);
    /// longer resources are cut to this size.
    static constexpr std::size_t MaxBlockSize = 0xFFFF;

    /// The VS_VERSIONINFO block of the PE image reachable through \a read,
    /// whose total length is \a fileSize; false when there is none or the
    /// image is damaged.
    static bool findVersionBlock(const ReadAt &read, std::uint64_t fileSize,
                                 std::vector<unsigned char> *block);
    /// The same for an image held in memory.
    static bool findVersionBlock(const unsigned char *data, std::size_t size,
                                 std::vector<unsigned char> *block);
    /// The same for a file; false also for anything but a regular file
    /// (directories, devices, pipes are never opened).
    static bool findVersionBlockInFile(const std::filesystem::path &path,
                                       std::vector<unsigned char> *block);

    /// The fixed file information of a version block; false when the block
    /// is damaged, has no fixed record or the record's signature is wrong.
    static bool fixedFileInfo(const unsigned char *block, std::size_t size, FixedFileInfo *info);

    /// A ReadAt over the \a size bytes at \a data.
    static ReadAt memoryReader(const unsigned char *data, std::size_t size);
    /// Opens the regular file \a path and returns what \a use gives for a
    /// ReadAt over it and its size; false without calling \a use for
    /// anything but a non-empty regular file (directories, devices and pipes
    /// are never opened).
    static bool readFile(const std::filesystem::path &path,
                         const std::function<bool(const ReadAt &read, std::uint64_t size)> &use);
};

} // namespace Platform
