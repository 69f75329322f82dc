# Progress on the taskbar button: the shell's ITaskbarList3 (COM) on
# Windows; the launcher-entry signal on the D-Bus session bus (Qt D-Bus) on
# Linux, with the null backend where there is no bus.
if(NOT WIN32)
    find_package(Qt5 5.15 REQUIRED COMPONENTS DBus)
    # Linked one folder up, by the library target.
    set_target_properties(Qt5::DBus PROPERTIES IMPORTED_GLOBAL TRUE)
endif()
basics_platform_service(taskbar
    COMMON  taskbar.cpp taskbar_null.cpp
    LINUX   linux/taskbar_dbus.cpp
    LINUX_LIBRARIES Qt5::DBus
    WINDOWS win32/taskbar_com.cpp
    WINDOWS_LIBRARIES ole32 uuid)
