# Top-level windows of the desktop: USER32 and PSAPI on Windows; on Linux
# the X server through xcb and its EWMH helper library, with the null backend
# when no X server can be reached (no DISPLAY, Wayland without XWayland).
if(NOT WIN32)
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(basics_xcb REQUIRED IMPORTED_TARGET GLOBAL xcb xcb-ewmh)
endif()
basics_platform_service(windowmanager
    COMMON  windowmanager.cpp windowmanager_null.cpp
    LINUX   linux/windowmanager_x11.cpp
    LINUX_LIBRARIES PkgConfig::basics_xcb
    WINDOWS win32/windowmanager_win32.cpp
    WINDOWS_LIBRARIES user32 psapi)
