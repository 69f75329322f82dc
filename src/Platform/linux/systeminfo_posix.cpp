// System information on Linux: CPUID or /proc/cpuinfo, the shared objects
// the dynamic loader has mapped (dl_iterate_phdr), libGL, and the portable
// reader for signatures of Windows files. There is no Windows here: no
// version and no build values.

#include "Platform/pesignaturereader.h"
#include "Platform/systeminfo.h"
#include "Platform/versionresources.h"

#include <GL/gl.h>
#include <link.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <iterator>

namespace Platform {

namespace {

std::wstring wideOf(const std::string &utf8)
{
    const int needed = PortableVersionFiles::utf8ToWide(utf8.c_str(), nullptr, 0);
    if (needed <= 1)
        return std::wstring();
    std::wstring wide(std::size_t(needed), L'\0');
    PortableVersionFiles::utf8ToWide(utf8.c_str(), &wide[0], needed);
    wide.pop_back();
    return wide;
}

std::string executablePath()
{
    std::string target(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", &target[0], target.size());
    if (length <= 0 || std::size_t(length) >= target.size())
        return std::string();
    target.resize(std::size_t(length));
    return target;
}

int collectObject(struct dl_phdr_info *object, std::size_t, void *data)
{
    auto *names = static_cast<std::vector<std::string> *>(data);
    const char *name = object->dlpi_name;
    if (!name || !*name) {
        // The program itself has no name of its own here.
        if (names->empty())
            names->push_back(executablePath());
    } else if (std::strchr(name, '/')) {
        names->push_back(name);
    }
    // Names without a folder are objects the kernel provides (vDSO), not
    // files.
    return 0;
}

class PosixSystemInfo final : public SystemInfo
{
public:
    std::string processorName() override
    {
        std::string brand;
        if (cpuidBrandString(&brand))
            return brand;
        std::ifstream file("/proc/cpuinfo");
        const std::string text((std::istreambuf_iterator<char>(file)),
                               std::istreambuf_iterator<char>());
        return processorNameFromCpuinfo(text);
    }

    bool osVersion(OsVersion *) override { return false; }

    bool buildValue(const std::string &, std::string *value) override
    {
        value->clear();
        return false;
    }

    ModuleListing loadedModules(bool all, std::vector<std::wstring> *paths) override
    {
        paths->clear();
        std::vector<std::string> names;
        dl_iterate_phdr(collectObject, &names);
        for (const std::string &name : names) {
            const std::wstring path = wideOf(name);
            if (!path.empty() && (all || isSharedObjectName(path)))
                paths->push_back(path);
        }
        return ModuleListing::Listed;
    }

    std::string glString(GlString name) override
    {
        const GLubyte *text = glGetString(GLenum(name));
        return text ? std::string(reinterpret_cast<const char *>(text)) : std::string();
    }

    SignerLookup signerName(const std::wstring &path, std::wstring *name) override
    {
        name->clear();
        // A path ends at its first NUL, as a zero-terminated one would.
        const std::string file = PortableVersionFiles::toUtf8(std::wstring(path.c_str()));
        std::string utf8;
        const SignerLookup result = PeSignatureReader::signerNameOfFile(file, &utf8);
        if (result == SignerLookup::Found)
            *name = wideOf(utf8);
        return result;
    }

    void writeLine(StandardStream stream, const std::wstring &line) override
    {
        FILE *file = stream == StandardStream::Output ? stdout : stderr;
        // A C stream has one orientation: write wide characters only to a
        // stream that is already wide, UTF-8 bytes otherwise.
        if (std::fwide(file, 0) > 0) {
            std::fputws(line.c_str(), file);
            std::fputwc(L'\n', file);
        } else {
            const std::string text = PortableVersionFiles::toUtf8(line) + '\n';
            std::fwrite(text.data(), 1, text.size(), file);
        }
        std::fflush(file);
    }
};

} // namespace

SystemInfo &SystemInfo::system()
{
    static PosixSystemInfo info;
    return info;
}

} // namespace Platform
