# The compiled help file made by chmcmd (helpdata/helpdata.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/helpdata/helpdata.cmake)
add_dependencies(${target} basics_help_testdata)
target_compile_definitions(${target} PRIVATE
    BASICS_HELP_TESTDATA_DIR="${BASICS_HELP_TESTDATA_DIR}")
# GIO keeps its old MIME data when told to read the database again (a few
# hundred bytes per association): no leak report, as for the Qt tests.
set_tests_properties(${target} PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")
