# The second process of the window tests (windowpeer.cpp), built beside the
# test. The test needs the desktop session (an X server with openbox, or
# Wine's window system inside it) and must not compete with other desktop
# tests for the active window.
add_executable(platform_windowpeer ${CMAKE_CURRENT_LIST_DIR}/windowpeer.cpp)
target_link_libraries(platform_windowpeer PRIVATE ${platform_library})
target_include_directories(platform_windowpeer PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../../src)
if(NOT WIN32)
    target_link_libraries(platform_windowpeer PRIVATE PkgConfig::basics_xcb)
    target_link_libraries(${target} PRIVATE PkgConfig::basics_xcb)
endif()
add_dependencies(${target} platform_windowpeer)
set_tests_properties(${target} PROPERTIES LABELS desktop RESOURCE_LOCK desktop)
