# Tree removal (treeremover.h): directory file descriptors on Linux, handles
# opened relative to their parent through ntdll on Windows.
list(APPEND platform_service_sources ${CMAKE_CURRENT_LIST_DIR}/treeremover.cpp)
if(WIN32)
    list(APPEND platform_service_sources ${CMAKE_CURRENT_LIST_DIR}/win32/treeremover_win32.cpp)
    # ntdll: NtCreateFile (opening an entry relative to its directory's handle)
    list(APPEND platform_libraries ntdll)
else()
    list(APPEND platform_service_sources ${CMAKE_CURRENT_LIST_DIR}/linux/treeremover_posix.cpp)
endif()
