# The signed PE files of tests/Platform/signdata; the OpenGL case compares
# with glxinfo on the desktop session's X display.
include(${PROJECT_SOURCE_DIR}/tests/Platform/signdata/signdata.cmake)
add_dependencies(tst_basicssystem basics_signed_testdata)
target_compile_definitions(tst_basicssystem PRIVATE
    BASICS_SIGNED_TESTDATA_DIR="${BASICS_SIGNED_TESTDATA_DIR}")
target_include_directories(tst_basicssystem PRIVATE ${PROJECT_SOURCE_DIR}/src)
basics_desktop_test(tst_basicssystem)
