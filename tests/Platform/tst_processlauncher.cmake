# The child the test starts: it reports its arguments, environment and
# working directory (launchreporter.cpp). Built beside the test, which finds
# it next to itself. The Qt tests of WProcess and WindowOrganizer use it too.
if(NOT TARGET platform_launchreporter)
    add_executable(platform_launchreporter ${CMAKE_CURRENT_LIST_DIR}/launchreporter.cpp)
    if(WIN32)
        # A GUI program, as the tools are: no console is made for it.
        target_link_options(platform_launchreporter PRIVATE -municode -mwindows)
        target_link_libraries(platform_launchreporter PRIVATE shell32)
    endif()
endif()
add_dependencies(${target} platform_launchreporter)
if(WIN32)
    target_link_libraries(${target} PRIVATE shell32)
endif()
