# Progress on the taskbar button: the shell's ITaskbarList3 (COM) on
# Windows; the launcher-entry signal on the D-Bus session bus (libdbus) on
# Linux, with the null backend where there is no bus.
if(NOT WIN32)
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(basics_taskbar_dbus REQUIRED IMPORTED_TARGET GLOBAL dbus-1)
endif()
basics_platform_service(taskbar
    COMMON  taskbar.cpp taskbar_null.cpp
    LINUX   linux/taskbar_dbus.cpp
    LINUX_LIBRARIES PkgConfig::basics_taskbar_dbus
    WINDOWS win32/taskbar_com.cpp
    WINDOWS_LIBRARIES ole32 uuid)
