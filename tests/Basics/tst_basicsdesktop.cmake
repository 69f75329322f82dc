# The compiled help file made by chmcmd (tests/Platform/helpdata).
include(${PROJECT_SOURCE_DIR}/tests/Platform/helpdata/helpdata.cmake)
add_dependencies(tst_basicsdesktop basics_help_testdata)
target_compile_definitions(tst_basicsdesktop PRIVATE
    BASICS_HELP_TESTDATA_DIR="${BASICS_HELP_TESTDATA_DIR}")
