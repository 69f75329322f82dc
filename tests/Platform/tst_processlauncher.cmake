# The children are the test peer; CommandLineToArgvW is in shell32.
include(${CMAKE_CURRENT_LIST_DIR}/testpeer.cmake)
if(WIN32)
    target_link_libraries(${target} PRIVATE shell32)
endif()
