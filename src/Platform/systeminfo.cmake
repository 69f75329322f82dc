# Facts about the machine, the system, the process and signed files: CPUID,
# RtlGetVersion, the registry, PSAPI, OPENGL32 and CRYPT32 on Windows; CPUID
# or /proc/cpuinfo, the dynamic loader, libGL and the portable PE signature
# reader (OpenSSL's libcrypto) on Linux.
if(NOT WIN32)
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(basics_sysinfo_crypto REQUIRED IMPORTED_TARGET GLOBAL libcrypto)
    pkg_check_modules(basics_sysinfo_gl REQUIRED IMPORTED_TARGET GLOBAL gl)
endif()
basics_platform_service(systeminfo
    COMMON  systeminfo.cpp
    LINUX   linux/systeminfo_posix.cpp pesignaturereader.cpp
    LINUX_LIBRARIES PkgConfig::basics_sysinfo_crypto PkgConfig::basics_sysinfo_gl
    WINDOWS win32/systeminfo_win32.cpp
    WINDOWS_LIBRARIES psapi crypt32 opengl32)
