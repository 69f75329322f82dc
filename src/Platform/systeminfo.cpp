#include "Platform/systeminfo.h"

#include "Platform/serviceoverride.h"

#include <cstring>
#include <sstream>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace Platform {

namespace {

OverrideSlot<SystemInfo> s_override;

std::string trimmed(const std::string &text)
{
    const char *space = " \t\r\n";
    const std::size_t first = text.find_first_not_of(space);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

std::wstring fileNameOf(const std::wstring &path)
{
    const std::size_t slash = path.find_last_of(L"/\\");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// ".so" alone, or followed by groups of a dot and at least one digit.
bool isSharedObjectSuffix(const std::wstring &name, std::size_t at)
{
    std::size_t i = at + 3;
    while (i < name.size()) {
        if (name[i] != L'.' || i + 1 >= name.size())
            return false;
        ++i;
        const std::size_t digits = i;
        while (i < name.size() && name[i] >= L'0' && name[i] <= L'9')
            ++i;
        if (i == digits)
            return false;
    }
    return true;
}

} // namespace

SystemInfo::~SystemInfo() = default;

SystemInfo &SystemInfo::instance()
{
    return s_override.current();
}

SystemInfo *SystemInfo::install(SystemInfo *scripted)
{
    return s_override.exchange(scripted);
}

bool cpuidBrandString(std::string *brand)
{
    brand->clear();
#if defined(__i386__) || defined(__x86_64__)
    if (__get_cpuid_max(0x80000000u, nullptr) < 0x80000004u)
        return false;
    // 48 bytes of brand and 16 zero bytes, so the text always ends.
    unsigned char buffer[64] = {};
    for (unsigned int leaf = 0; leaf < 3; ++leaf) {
        unsigned int registers[4] = {};
        if (!__get_cpuid(0x80000002u + leaf, &registers[0], &registers[1], &registers[2],
                         &registers[3]))
            return false;
        std::memcpy(buffer + 16 * leaf, registers, sizeof registers);
    }
    brand->assign(reinterpret_cast<const char *>(buffer));
    return true;
#else
    return false;
#endif
}

std::string processorNameFromCpuinfo(const std::string &cpuinfo)
{
    // x86 and most others, older ARM kernels, MIPS, PowerPC.
    static const char *const keys[] = {"model name", "Processor", "cpu model", "cpu"};
    for (const char *key : keys) {
        std::istringstream lines(cpuinfo);
        std::string line;
        while (std::getline(lines, line)) {
            const std::size_t colon = line.find(':');
            if (colon != std::string::npos && trimmed(line.substr(0, colon)) == key) {
                const std::string value = trimmed(line.substr(colon + 1));
                if (!value.empty())
                    return value;
            }
        }
    }
    return std::string();
}

bool isSharedObjectName(const std::wstring &path)
{
    const std::wstring name = fileNameOf(path);
    for (std::size_t at = name.find(L".so"); at != std::wstring::npos;
         at = name.find(L".so", at + 1)) {
        if (at > 0 && isSharedObjectSuffix(name, at))
            return true;
    }
    return false;
}

bool isDllName(const std::wstring &path)
{
    static const wchar_t suffix[] = L".dll";
    if (path.size() < 4)
        return false;
    for (std::size_t i = 0; i < 4; ++i) {
        wchar_t c = path[path.size() - 4 + i];
        if (c >= L'A' && c <= L'Z')
            c = wchar_t(c - L'A' + L'a');
        if (c != suffix[i])
            return false;
    }
    return true;
}

std::wstring signerOfFile(const std::wstring &path)
{
    SystemInfo &info = SystemInfo::instance();
    std::wstring name;
    const wchar_t *message = nullptr;
    switch (info.signerName(path, &name)) {
    case SignerLookup::Found:
        if (!name.empty()) {
            info.writeLine(StandardStream::Output, L"Signaturgeber: " + name);
            return name;
        }
        message = L"Signaturgebername konnte nicht abgerufen werden.";
        break;
    case SignerLookup::NoSignature:
        message = L"Fehler beim Abrufen der Signaturinformationen.";
        break;
    case SignerLookup::NoCertificate:
        message = L"Kein Zertifikat gefunden.";
        break;
    case SignerLookup::NoName:
        message = L"Signaturgebername konnte nicht abgerufen werden.";
        break;
    }
    info.writeLine(StandardStream::Error, message);
    info.writeLine(StandardStream::Error, L"Fehler beim Abrufen des Signaturgebers.");
    return std::wstring();
}

} // namespace Platform
