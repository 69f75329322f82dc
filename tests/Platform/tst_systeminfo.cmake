# The signed PE files of signdata/.
include(${CMAKE_CURRENT_LIST_DIR}/signdata/signdata.cmake)
add_dependencies(${target} basics_signed_testdata)
target_compile_definitions(${target} PRIVATE
    BASICS_SIGNED_TESTDATA_DIR="${BASICS_SIGNED_TESTDATA_DIR}")
