#include "Platform/versionresources.h"

#include <string>

#include <unistd.h>

namespace Platform {

namespace {

class LinuxVersionResources final : public VersionResources
{
public:
    std::uint32_t blockSize(const std::wstring &path) override
    {
        return PortableVersionFiles::blockSize(path);
    }
    bool readBlock(const std::wstring &path, std::uint32_t size, void *block) override
    {
        return PortableVersionFiles::readBlock(path, size, block);
    }
    bool fixedFileInfo(const void *block, std::uint32_t size, FixedFileInfo *info) override
    {
        return PortableVersionFiles::fixedFileInfo(block, size, info);
    }

    std::uint32_t executablePath(wchar_t *buffer, std::uint32_t capacity) override
    {
        if (!buffer || capacity == 0)
            return 0;
        // readlink() does not say when it cut the text: grow until it fits.
        std::string target(256, '\0');
        while (true) {
            const ssize_t length = ::readlink("/proc/self/exe", &target[0], target.size());
            if (length <= 0)
                return 0;
            if (std::size_t(length) < target.size()) {
                target.resize(std::size_t(length));
                break;
            }
            if (target.size() >= (std::size_t(1) << 20))
                return 0;
            target.resize(target.size() * 2);
        }
        const int needed = PortableVersionFiles::utf8ToWide(target.c_str(), nullptr, 0);
        if (needed <= 0)
            return 0;
        std::wstring wide(std::size_t(needed), L'\0');
        PortableVersionFiles::utf8ToWide(target.c_str(), &wide[0], needed);
        wide.pop_back();
        // As on Windows: a path that does not fit is cut, terminated at the
        // last position, and the full capacity is returned.
        if (wide.size() >= capacity) {
            wide.copy(buffer, capacity - 1);
            buffer[capacity - 1] = L'\0';
            return capacity;
        }
        wide.copy(buffer, wide.size());
        buffer[wide.size()] = L'\0';
        return std::uint32_t(wide.size());
    }

    int utf8ToWide(const char *text, wchar_t *target, int capacity) override
    {
        return PortableVersionFiles::utf8ToWide(text, target, capacity);
    }
};

} // namespace

VersionResources &VersionResources::system()
{
    static LinuxVersionResources resources;
    return resources;
}

} // namespace Platform
