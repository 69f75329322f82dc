# Version resources of executables: the version library on Windows, the
# portable PE reader everywhere else.
basics_platform_service(versionresources
    COMMON  versionresources.cpp peversionreader.cpp
    LINUX   linux/versionresources_pe.cpp
    WINDOWS win32/versionresources_win32.cpp
    WINDOWS_LIBRARIES version)
