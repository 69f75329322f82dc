#include <windows.h>

#include <shlwapi.h>

#include "Platform/desktopservices.h"

#include <algorithm>
#include <cstring>

namespace Platform {

namespace {

std::wstring toWide(const std::string &utf8)
{
    if (utf8.empty())
        return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring wide(std::size_t(size > 0 ? size : 0), L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &wide[0], size);
    return wide;
}

std::string toUtf8(const std::wstring &wide)
{
    if (wide.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string utf8(std::size_t(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), &utf8[0], size, nullptr,
                            nullptr);
    return utf8;
}

// Closes a registry key at the end of a scope.
class RegistryKey
{
public:
    RegistryKey() = default;
    ~RegistryKey()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    RegistryKey(const RegistryKey &) = delete;
    RegistryKey &operator=(const RegistryKey &) = delete;

    bool open(HKEY parent, const std::wstring &path)
    {
        return RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &m_key) == ERROR_SUCCESS;
    }
    bool create(HKEY parent, const std::wstring &path)
    {
        return RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &m_key,
                               nullptr)
            == ERROR_SUCCESS;
    }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

struct UninstallStore
{
    HKEY hive;
    const wchar_t *path;
};

const UninstallStore UninstallStores[] = {
    {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
    {HKEY_CURRENT_USER, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
    {HKEY_LOCAL_MACHINE, L"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
};

// The subkey names of \a key in the order the toolkit's settings store lists
// child groups: sorted by UTF-16 code units.
std::vector<std::wstring> subkeyNames(HKEY key)
{
    std::vector<std::wstring> names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256]; // registry key names have at most 255 characters
        DWORD length = 256;
        const LONG result = RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr,
                                          nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS)
            continue;
        names.emplace_back(name, length);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A value read as text the way the settings store converts it: strings up to
// their first NUL, numbers in decimal, a multi-string only when it holds
// exactly one string; anything else is empty.
std::string readText(HKEY key, const wchar_t *name)
{
    std::vector<BYTE> data;
    DWORD type = 0;
    DWORD size = 0;
    LONG result = ERROR_MORE_DATA;
    for (int attempt = 0; attempt < 4 && result == ERROR_MORE_DATA; ++attempt) {
        if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return {};
        data.assign(size + 2 * sizeof(wchar_t), 0); // room for terminators
        result = RegQueryValueExW(key, name, nullptr, &type, data.data(), &size);
    }
    if (result != ERROR_SUCCESS)
        return {};
    const wchar_t *text = reinterpret_cast<const wchar_t *>(data.data());
    const std::size_t characters = size / sizeof(wchar_t);
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        return toUtf8(std::wstring(text, wcsnlen(text, characters)));
    case REG_MULTI_SZ: {
        const std::size_t first = wcsnlen(text, characters);
        const bool onlyOne = first + 1 >= characters || text[first + 1] == L'\0';
        return first > 0 && onlyOne ? toUtf8(std::wstring(text, first)) : std::string();
    }
    case REG_DWORD:
        if (size >= sizeof(std::int32_t)) {
            std::int32_t value;
            std::memcpy(&value, data.data(), sizeof value);
            return std::to_string(value);
        }
        return {};
    case REG_QWORD:
        if (size >= sizeof(std::int64_t)) {
            std::int64_t value;
            std::memcpy(&value, data.data(), sizeof value);
            return std::to_string(value);
        }
        return {};
    default:
        return {};
    }
}

bool setDefaultValue(const std::wstring &path, const std::string &value)
{
    RegistryKey key;
    if (!key.create(HKEY_CURRENT_USER, path))
        return false;
    const std::wstring text = toWide(value);
    const DWORD bytes = DWORD((text.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.get(), nullptr, 0, REG_SZ,
                          reinterpret_cast<const BYTE *>(text.c_str()), bytes)
        == ERROR_SUCCESS;
}

// The ANSI help entry point of the HTML Help control (HtmlHelpA).
using HelpEntry = HWND(WINAPI *)(HWND, LPCSTR, UINT, DWORD_PTR);

// The control's path as its class registration names it (at most 260
// bytes), or empty.
std::string registeredHelpControl()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT,
                      "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", 0,
                      KEY_READ, &key)
        != ERROR_SUCCESS)
        return {};
    char path[261] = {};
    DWORD size = 260;
    DWORD type = 0;
    const LONG result = RegQueryValueExA(key, nullptr, nullptr, &type,
                                         reinterpret_cast<BYTE *>(path), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    return std::string(path, strnlen(path, 260));
}

// Loads the control once; a control or entry point that cannot be had is
// not looked for again.
HelpEntry helpEntry()
{
    static const HelpEntry entry = [] {
        HMODULE module = nullptr;
        const std::string registered = registeredHelpControl();
        if (!registered.empty())
            module = LoadLibraryA(registered.c_str());
        if (!module)
            module = LoadLibraryA("hhctrl.ocx");
        if (!module)
            return HelpEntry(nullptr);
        return reinterpret_cast<HelpEntry>(
            reinterpret_cast<void *>(GetProcAddress(module, MAKEINTRESOURCEA(14))));
    }();
    return entry;
}

class Win32DesktopServices final : public DesktopServices
{
public:
    std::vector<InstalledProgram> installedPrograms() override
    {
        std::vector<InstalledProgram> programs;
        for (const UninstallStore &store : UninstallStores) {
            RegistryKey storeKey;
            if (!storeKey.open(store.hive, store.path))
                continue;
            for (const std::wstring &name : subkeyNames(storeKey.get())) {
                RegistryKey entry;
                if (!entry.open(storeKey.get(), name))
                    continue;
                programs.push_back({readText(entry.get(), L"DisplayName"),
                                    readText(entry.get(), L"DisplayIcon"),
                                    readText(entry.get(), L"InstallLocation")});
            }
        }
        return programs;
    }

    ProgramFiles programFiles() const override { return ProgramFiles::WindowsNames; }

    bool associate(const FileAssociation &association) override
    {
        const std::wstring classes = L"Software\\Classes\\";
        const std::wstring progId = toWide(association.progId);
        // Every key is tried, as the settings store would, even after a
        // failed one.
        bool ok = setDefaultValue(classes + toWide(association.extension), association.progId);
        ok = setDefaultValue(classes + progId, association.description) && ok;
        ok = setDefaultValue(classes + progId + L"\\shell\\open\\command", association.command)
            && ok;
        return ok;
    }

    bool executableForExtension(const std::string &extension, std::string *executable) override
    {
        wchar_t buffer[1000] = {};
        DWORD capacity = 1000;
        const HRESULT result = AssocQueryStringW(ASSOCF(0), ASSOCSTR_EXECUTABLE,
                                                 toWide(extension).c_str(), nullptr, buffer,
                                                 &capacity);
        if (result < 0)
            return false;
        buffer[999] = L'\0';
        if (executable)
            *executable = toUtf8(buffer);
        return true;
    }

    bool showHelp(std::uintptr_t owner, const std::string &latin1Path, unsigned command,
                  std::uintptr_t data) override
    {
        const HelpEntry entry = helpEntry();
        if (!entry)
            return false;
        entry(reinterpret_cast<HWND>(owner), latin1Path.c_str(), command, DWORD_PTR(data));
        return true;
    }
};

} // namespace

DesktopServices &DesktopServices::system()
{
    static Win32DesktopServices services;
    return services;
}

} // namespace Platform
