#pragma once

// Version resources of executable files, the running program's path and
// UTF-8 conversion: what reading a file version needs of the system.
//
// The calls mirror the Windows version library and kernel, so that callers
// follow one algorithm on every platform:
//   Windows: GetFileVersionInfoSizeW, GetFileVersionInfoW, VerQueryValueW
//            (root block "\\"), GetModuleFileNameW(nullptr, ...) and
//            MultiByteToWideChar(CP_UTF8, 0, text, -1, ...).
//   Linux:   the portable PE reader (peversionreader.h) on the file, so the
//            versions of Windows executables can be read anywhere;
//            /proc/self/exe for the program (an ELF file: no version); a
//            UTF-8 decoder into wchar_t (UTF-32) that replaces invalid
//            sequences with U+FFFD as Windows does.
// Wide strings are UTF-16 on Windows and UTF-32 on Linux.

#include <basicsdll_export.h>

#include "Platform/peversionreader.h"

#include <cstdint>
#include <string>

namespace Platform {

class BASICSDLL_EXPORT VersionResources
{
public:
    virtual ~VersionResources();

    /// The size in bytes of the version block of the file \a path; 0 when
    /// the file has none or cannot be read.
    virtual std::uint32_t blockSize(const std::wstring &path) = 0;
    /// Copies the version block of \a path into \a block (\a size bytes, as
    /// blockSize() gave it); false on failure.
    virtual bool readBlock(const std::wstring &path, std::uint32_t size, void *block) = 0;
    /// The fixed file information record at the root of a block read by
    /// readBlock(); false when the block has none (or a value too short to
    /// hold the record).
    virtual bool fixedFileInfo(const void *block, std::uint32_t size, FixedFileInfo *info) = 0;
    /// The path of the executable that started the process, written to
    /// \a buffer (\a capacity characters) as GetModuleFileNameW does:
    /// returns the number of characters written without a terminator,
    /// \a capacity when the path was cut, 0 on failure.
    virtual std::uint32_t executablePath(wchar_t *buffer, std::uint32_t capacity) = 0;
    /// Converts the NUL-terminated UTF-8 \a text, terminator included.
    /// With \a capacity 0 returns the number of wide characters needed;
    /// otherwise writes them to \a target and returns that number, or 0
    /// when \a capacity is too small.
    virtual int utf8ToWide(const char *text, wchar_t *target, int capacity) = 0;

    /// The implementation the library uses: a scripted one while installed,
    /// otherwise system().
    static VersionResources &instance();
    /// The operating system's services.
    static VersionResources &system();
    /// Installs a scripted implementation (nullptr restores system());
    /// returns the one installed before.
    static VersionResources *install(VersionResources *scripted);
};

/// The fixed file information record of \a path through
/// VersionResources::instance(): block size, block (never more than 16 MiB
/// is allocated) and its root record, in the order of the version library's
/// calls; false when any step fails.
BASICSDLL_EXPORT bool queryFixedFileInfo(const std::wstring &path, FixedFileInfo *info);

/// The portable implementation of the file calls on top of PeVersionReader
/// (the system() one on Linux; on Windows the reference against which the
/// tests hold the version library). Paths are converted to UTF-8 to open
/// the file; a path with a NUL ends there.
class BASICSDLL_EXPORT PortableVersionFiles
{
public:
    static std::uint32_t blockSize(const std::wstring &path);
    static bool readBlock(const std::wstring &path, std::uint32_t size, void *block);
    static bool fixedFileInfo(const void *block, std::uint32_t size, FixedFileInfo *info);
    /// The fixed record of a file in one call; false when it has none.
    static bool readFixedFileInfo(const std::wstring &path, FixedFileInfo *info);

    /// UTF-8 encoding of a wide string (UTF-16 or UTF-32 by platform);
    /// unpaired surrogates and invalid code points become U+FFFD.
    static std::string toUtf8(const std::wstring &text);
    /// UTF-8 decoding as VersionResources::utf8ToWide describes it.
    static int utf8ToWide(const char *text, wchar_t *target, int capacity);
};

} // namespace Platform
