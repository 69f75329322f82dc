#include "Platform/windowmanager.h"

#include <windows.h>
#include <psapi.h>

#include <cwchar>
#include <vector>

namespace Platform {

namespace {

// GWL_USERDATA: 64-bit headers only name it GWLP_USERDATA; the 32-bit
// accessors reach the same slot with the same index.
constexpr int UserDataIndex = -21;
constexpr char OrderNumberProperty[] = "OrderNumber";
constexpr DWORD QueryAndRead = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
constexpr DWORD ModulePathCapacity = 260;

HWND toHandle(WindowManager::Window window)
{
    return reinterpret_cast<HWND>(window);
}

template <class Visit>
BOOL CALLBACK visitWindow(HWND window, LPARAM context)
{
    return (*reinterpret_cast<Visit *>(context))(window) ? TRUE : FALSE;
}

// Calls visit(window) for every top-level window until it returns false.
template <class Visit>
void forEachTopLevelWindow(Visit visit)
{
    EnumWindows(&visitWindow<Visit>, reinterpret_cast<LPARAM>(&visit));
}

std::string titleOf(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    if (length <= 0)
        return {};
    // One UTF-16 unit may take up to three bytes in the ANSI code page
    // (double-byte pages, UTF-8): room for all of them, or the title is cut.
    std::vector<char> buffer(std::size_t(length) * 3 + 1, '\0');
    GetWindowTextA(window, buffer.data(), int(buffer.size()));
    return std::string(buffer.data()); // up to the first zero
}

class Win32WindowManager final : public WindowManager
{
public:
    bool isAvailable() const override { return true; }

    bool tagWindow(Window window, std::uint32_t tag) override
    {
        if (!IsWindow(toHandle(window)))
            return false;
        SetWindowLongW(toHandle(window), UserDataIndex, LONG(tag));
        return true;
    }

    std::uint32_t toolTag(Window window) override
    {
        return std::uint32_t(GetWindowLongW(toHandle(window), UserDataIndex));
    }

    std::vector<TaggedWindow> windowsWithTag(std::uint32_t tag) override
    {
        std::vector<TaggedWindow> found;
        forEachTopLevelWindow([&](HWND window) {
            if (std::uint32_t(GetWindowLongW(window, UserDataIndex)) == tag)
                found.push_back({reinterpret_cast<Window>(window), titleOf(window)});
            return true;
        });
        return found;
    }

    bool setOrderNumber(Window window, int number) override
    {
        const HANDLE value = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(number));
        return SetPropA(toHandle(window), OrderNumberProperty, value) != FALSE;
    }

    int orderNumber(Window window) override
    {
        return int(reinterpret_cast<INT_PTR>(GetPropA(toHandle(window), OrderNumberProperty)));
    }

    Window firstWindowOfExecutable(const NativePath &executable) override
    {
        if (executable.empty())
            return 0;
        std::wstring searched = executable;
        for (wchar_t &c : searched) {
            if (c == L'/')
                c = L'\\';
        }
        Window result = 0;
        forEachTopLevelWindow([&](HWND window) {
            DWORD processId = 0;
            GetWindowThreadProcessId(window, &processId);
            HANDLE process = OpenProcess(QueryAndRead, FALSE, processId);
            if (!process)
                return true; // not ours to inspect: go on
            wchar_t path[ModulePathCapacity] = {};
            if (GetModuleFileNameExW(process, nullptr, path, ModulePathCapacity) > 0
                && _wcsicmp(path, searched.c_str()) == 0)
                result = reinterpret_cast<Window>(window);
            CloseHandle(process);
            return result == 0;
        });
        return result;
    }

    bool bringToFront(Window window) override
    {
        return SetForegroundWindow(toHandle(window)) != FALSE;
    }
};

} // namespace

std::unique_ptr<WindowManager> WindowManager::connect(const char *)
{
    return std::make_unique<Win32WindowManager>();
}

} // namespace Platform
