# A compiled help file made at build time with Free Pascal's chmcmd from the
# pages of this folder, into ${BASICS_HELP_TESTDATA_DIR}/help.chm:
#   default page      /index.htm        "Welcome page"
#   context 1001      /intro.htm        "Introduction page", links to sub/details.htm
#   context 1002      /sub/details.htm  "Details page", links back to ../index.htm
# chmcmd records the mapped pages with the folder it compiled in, which the
# reader's tail rule resolves. Target: basics_help_testdata (built with ALL).

set(BASICS_HELP_TESTDATA_DIR ${PROJECT_BINARY_DIR}/testdata/help)
include_guard(GLOBAL)

find_program(BASICS_CHMCMD chmcmd)
if(NOT BASICS_CHMCMD)
    message(FATAL_ERROR "The help test file needs chmcmd (Debian package fp-utils); "
        "scripts/setup.sh installs it")
endif()

set(_help_pages
    ${CMAKE_CURRENT_LIST_DIR}/pages/help.hhp
    ${CMAKE_CURRENT_LIST_DIR}/pages/index.htm
    ${CMAKE_CURRENT_LIST_DIR}/pages/intro.htm
    ${CMAKE_CURRENT_LIST_DIR}/pages/sub/details.htm)
file(MAKE_DIRECTORY ${BASICS_HELP_TESTDATA_DIR})
# chmcmd reports a broken project but still exits with 0: the file must exist.
add_custom_command(OUTPUT ${BASICS_HELP_TESTDATA_DIR}/help.chm
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_CURRENT_LIST_DIR}/pages
        ${BASICS_HELP_TESTDATA_DIR}
    COMMAND ${BASICS_CHMCMD} --no-html-scan help.hhp
    COMMAND ${CMAKE_COMMAND} -E md5sum help.chm
    WORKING_DIRECTORY ${BASICS_HELP_TESTDATA_DIR}
    DEPENDS ${_help_pages}
    COMMENT "chmcmd help.hhp" VERBATIM)
add_custom_target(basics_help_testdata ALL DEPENDS ${BASICS_HELP_TESTDATA_DIR}/help.chm)
