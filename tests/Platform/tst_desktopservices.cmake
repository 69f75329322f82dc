# The compiled help file made by chmcmd (helpdata/helpdata.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/helpdata/helpdata.cmake)
add_dependencies(${target} basics_help_testdata)
target_compile_definitions(${target} PRIVATE
    BASICS_HELP_TESTDATA_DIR="${BASICS_HELP_TESTDATA_DIR}")
