#include <windows.h>

#include "Platform/versionresources.h"

namespace Platform {

namespace {

class Win32VersionResources final : public VersionResources
{
public:
    std::uint32_t blockSize(const std::wstring &path) override
    {
        DWORD handle = 0;
        return GetFileVersionInfoSizeW(path.c_str(), &handle);
    }
    bool readBlock(const std::wstring &path, std::uint32_t size, void *block) override
    {
        return GetFileVersionInfoW(path.c_str(), 0, size, block) != FALSE;
    }
    bool fixedFileInfo(const void *block, std::uint32_t, FixedFileInfo *info) override
    {
        void *value = nullptr;
        UINT length = 0;
        wchar_t root[] = L"\\";
        if (!VerQueryValueW(block, root, &value, &length) || !value || length == 0)
            return false;
        // A value shorter than the record must not be read as one.
        if (length < FixedFileInfo::Size)
            return false;
        *info = FixedFileInfo::fromBytes(static_cast<const unsigned char *>(value));
        return true;
    }
    std::uint32_t executablePath(wchar_t *buffer, std::uint32_t capacity) override
    {
        return GetModuleFileNameW(nullptr, buffer, capacity);
    }
    int utf8ToWide(const char *text, wchar_t *target, int capacity) override
    {
        return MultiByteToWideChar(CP_UTF8, 0, text, -1, target, capacity);
    }
};

} // namespace

VersionResources &VersionResources::system()
{
    static Win32VersionResources resources;
    return resources;
}

} // namespace Platform
