// System information on Windows: CPUID (or the registry's processor name),
// RtlGetVersion looked up at run time, the build values in the registry,
// the process's modules (PSAPI), glGetString of OPENGL32, the signer of a
// file through CRYPT32, and the wide standard streams.

#include <windows.h>

#include <GL/gl.h>
#include <psapi.h>
#include <wincrypt.h>

#include "Platform/systeminfo.h"

#include <algorithm>
#include <cstring>
#include <iostream>
#include <memory>
#include <vector>

namespace Platform {

namespace {

static_assert(sizeof(RTL_OSVERSIONINFOEXW) == 284, "the extended version record has 284 bytes");

const wchar_t CurrentVersionKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
const wchar_t ProcessorKey[] = L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

std::string utf8Of(const std::wstring &text)
{
    if (text.empty())
        return std::string();
    const int needed = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string result(std::size_t(needed > 0 ? needed : 0), '\0');
    if (needed > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &result[0], needed, nullptr,
                            nullptr);
    return result;
}

// A registry value as text: strings as they are (up to their terminator),
// 32- and 64-bit numbers in decimal. False for a missing value or another
// type.
bool readRegistryValue(const wchar_t *keyPath, const std::wstring &name, std::wstring *value)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD size = 0;
    bool found = false;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<unsigned char> data(std::size_t(size) + sizeof(wchar_t), 0);
        if (RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size)
            == ERROR_SUCCESS) {
            if ((type == REG_SZ || type == REG_EXPAND_SZ)) {
                *value = std::wstring(reinterpret_cast<const wchar_t *>(data.data()));
                found = true;
            } else if (type == REG_DWORD && size >= 4) {
                DWORD number = 0;
                std::memcpy(&number, data.data(), sizeof number);
                *value = std::to_wstring(number);
                found = true;
            } else if (type == REG_QWORD && size >= 8) {
                unsigned long long number = 0;
                std::memcpy(&number, data.data(), sizeof number);
                *value = std::to_wstring(number);
                found = true;
            }
        }
    }
    RegCloseKey(key);
    return found;
}

struct StoreCloser
{
    void operator()(void *store) const { CertCloseStore(static_cast<HCERTSTORE>(store), 0); }
};
struct MessageCloser
{
    void operator()(void *message) const { CryptMsgClose(static_cast<HCRYPTMSG>(message)); }
};
struct CertificateFreer
{
    void operator()(const CERT_CONTEXT *certificate) const
    {
        CertFreeCertificateContext(certificate);
    }
};

class Win32SystemInfo final : public SystemInfo
{
public:
    std::string processorName() override
    {
        std::string brand;
        if (cpuidBrandString(&brand))
            return brand;
        std::wstring name;
        return readRegistryValue(ProcessorKey, L"ProcessorNameString", &name) ? utf8Of(name)
                                                                               : std::string();
    }

    bool osVersion(OsVersion *version) override
    {
        using RtlGetVersionFunction = LONG(WINAPI *)(RTL_OSVERSIONINFOEXW *);
        HMODULE ntdll = GetModuleHandleA("ntdll");
        // Through void(*)(): the entry point's type is only known here.
        const auto rtlGetVersion =
            ntdll ? reinterpret_cast<RtlGetVersionFunction>(reinterpret_cast<void (*)()>(
                        GetProcAddress(ntdll, "RtlGetVersion")))
                  : nullptr;
        if (!rtlGetVersion)
            return false;
        RTL_OSVERSIONINFOEXW record = {};
        record.dwOSVersionInfoSize = sizeof record;
        rtlGetVersion(&record);
        version->major = record.dwMajorVersion;
        version->minor = record.dwMinorVersion;
        version->build = record.dwBuildNumber;
        return true;
    }

    bool buildValue(const std::string &name, std::string *value) override
    {
        value->clear();
        std::wstring text;
        if (!readRegistryValue(CurrentVersionKey, std::wstring(name.begin(), name.end()), &text))
            return false;
        *value = utf8Of(text);
        return true;
    }

    ModuleListing loadedModules(bool all, std::vector<std::wstring> *paths) override
    {
        paths->clear();
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE,
                                     GetCurrentProcessId());
        if (!process)
            return ModuleListing::NoProcess;
        // 1024 handles are usually enough; a process with more gets a
        // table that fits, so that no module is left out.
        std::vector<HMODULE> modules(1024);
        DWORD needed = 0;
        for (int attempt = 0; attempt < 4; ++attempt) {
            const DWORD bytes = DWORD(modules.size() * sizeof(HMODULE));
            if (!EnumProcessModules(process, modules.data(), bytes, &needed)) {
                CloseHandle(process);
                return ModuleListing::EnumerationFailed;
            }
            if (needed <= bytes)
                break;
            modules.resize(needed / sizeof(HMODULE) + 64);
        }
        const std::size_t count =
            std::min<std::size_t>(needed / sizeof(HMODULE), modules.size());
        // Long paths do not fit the classic 260 characters.
        std::vector<wchar_t> buffer(32768);
        for (std::size_t i = 0; i < count; ++i) {
            const DWORD length =
                GetModuleFileNameExW(process, modules[i], buffer.data(), DWORD(buffer.size()));
            if (length == 0)
                continue;
            const std::wstring path(buffer.data(), length);
            if (all || isDllName(path))
                paths->push_back(path);
        }
        CloseHandle(process);
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
        const std::wstring file(path.c_str());
        DWORD encoding = 0, contentType = 0, formatType = 0;
        HCERTSTORE storeHandle = nullptr;
        HCRYPTMSG messageHandle = nullptr;
        const void *context = nullptr;
        if (!CryptQueryObject(CERT_QUERY_OBJECT_FILE, file.c_str(),
                              CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                              CERT_QUERY_FORMAT_FLAG_BINARY, 0, &encoding, &contentType,
                              &formatType, &storeHandle, &messageHandle, &context))
            return SignerLookup::NoSignature;
        std::unique_ptr<void, StoreCloser> store(storeHandle);
        std::unique_ptr<void, MessageCloser> message(messageHandle);

        // The certificate the signer info names by issuer and serial number;
        // the first certificate of the store may be the issuer's.
        DWORD size = 0;
        if (!CryptMsgGetParam(messageHandle, CMSG_SIGNER_CERT_INFO_PARAM, 0, nullptr, &size)
            || size == 0)
            return SignerLookup::NoCertificate;
        std::vector<unsigned char> signerInfo(size);
        if (!CryptMsgGetParam(messageHandle, CMSG_SIGNER_CERT_INFO_PARAM, 0, signerInfo.data(),
                              &size))
            return SignerLookup::NoCertificate;
        std::unique_ptr<const CERT_CONTEXT, CertificateFreer> certificate(
            CertFindCertificateInStore(storeHandle, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0,
                                       CERT_FIND_SUBJECT_CERT, signerInfo.data(), nullptr));
        if (!certificate)
            return SignerLookup::NoCertificate;

        const DWORD length = CertGetNameStringW(certificate.get(), CERT_NAME_SIMPLE_DISPLAY_TYPE,
                                                0, nullptr, nullptr, 0);
        if (length <= 1)
            return SignerLookup::NoName;
        std::vector<wchar_t> buffer(length, L'\0');
        CertGetNameStringW(certificate.get(), CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr,
                           buffer.data(), length);
        *name = std::wstring(buffer.data());
        return name->empty() ? SignerLookup::NoName : SignerLookup::Found;
    }

    void writeLine(StandardStream stream, const std::wstring &line) override
    {
        std::wostream &target = stream == StandardStream::Output ? std::wcout : std::wcerr;
        target << line << std::endl;
        // A character the stream cannot convert must not silence every
        // later line.
        if (!target)
            target.clear();
    }
};

} // namespace

SystemInfo &SystemInfo::system()
{
    static Win32SystemInfo info;
    return info;
}

} // namespace Platform
