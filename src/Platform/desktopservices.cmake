# Installed programs, per-user file associations and help: the registry,
# SHLWAPI's AssocQueryStringW and the HTML Help control on Windows; GLib's
# GIO (desktop entries, MIME types, default applications) with
# shared-mime-info's update-mime-database on Linux, where chmlib reads
# compiled help files for the library's own help window.
if(NOT WIN32)
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(basics_gio REQUIRED IMPORTED_TARGET GLOBAL gio-2.0 gio-unix-2.0)
    find_library(BASICS_CHM_LIBRARY chm)
    find_path(BASICS_CHM_INCLUDE_DIR chm_lib.h)
    if(NOT BASICS_CHM_LIBRARY OR NOT BASICS_CHM_INCLUDE_DIR)
        message(FATAL_ERROR "The help window needs chmlib (Debian package libchm-dev); "
            "scripts/setup.sh installs it")
    endif()
    if(NOT TARGET basics_chm)
        add_library(basics_chm UNKNOWN IMPORTED GLOBAL)
        set_target_properties(basics_chm PROPERTIES
            IMPORTED_LOCATION ${BASICS_CHM_LIBRARY}
            INTERFACE_INCLUDE_DIRECTORIES ${BASICS_CHM_INCLUDE_DIR})
    endif()
endif()

basics_platform_service(desktopservices
    COMMON  desktopservices.cpp desktopservices_null.cpp compiledhelpfile.cpp
    LINUX   linux/desktopservices_xdg.cpp linux/compiledhelpfile_chm.cpp
    LINUX_LIBRARIES PkgConfig::basics_gio basics_chm
    WINDOWS win32/desktopservices_win32.cpp compiledhelpfile_null.cpp
    WINDOWS_LIBRARIES shlwapi advapi32)
