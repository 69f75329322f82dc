# Tree removal (treeremover.h): directory file descriptors on Linux, handles
# opened relative to their parent through ntdll on Windows.
basics_platform_service(treeremover
    COMMON  treeremover.cpp
    LINUX   linux/treeremover_posix.cpp
    WINDOWS win32/treeremover_win32.cpp
    # ntdll: NtCreateFile (opening an entry relative to its directory's handle)
    WINDOWS_LIBRARIES ntdll)
