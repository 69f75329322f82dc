# Detached process start: CreateProcessW with the Windows command line and
# environment block of commandline.cpp on Windows; fork, exec and a
# close-on-exec pipe on Linux. Starting processes is never missing, so there
# is no null backend.
basics_platform_service(processlauncher
    COMMON  processlauncher.cpp commandline.cpp
    LINUX   linux/processlauncher_posix.cpp
    WINDOWS win32/processlauncher_win32.cpp)
