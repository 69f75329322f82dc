# The other process of the platform tests (testpeer.cpp): it reports how it
# was started, or shows windows. Built beside the tests, which find it next
# to themselves; the Qt tests of WProcess use it too. On Windows a GUI
# program, as the tools are (no console is made for it).
if(NOT TARGET platform_testpeer)
    add_executable(platform_testpeer ${CMAKE_CURRENT_LIST_DIR}/testpeer.cpp)
    target_link_libraries(platform_testpeer PRIVATE ${platform_library})
    target_include_directories(platform_testpeer PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../../src)
    if(WIN32)
        target_link_options(platform_testpeer PRIVATE -municode -mwindows)
        target_link_libraries(platform_testpeer PRIVATE shell32)
    else()
        target_link_libraries(platform_testpeer PRIVATE PkgConfig::basics_xcb)
    endif()
endif()
add_dependencies(${target} platform_testpeer)
