# The windows of the other process are the test peer's. The test needs the
# desktop session (an X server with openbox, or Wine's window system in it)
# and must not compete with other desktop tests for the active window.
include(${CMAKE_CURRENT_LIST_DIR}/testpeer.cmake)
if(NOT WIN32)
    target_link_libraries(${target} PRIVATE PkgConfig::basics_xcb)
endif()
set_tests_properties(${target} PROPERTIES LABELS desktop RESOURCE_LOCK desktop)
