# basics-cli's frame: help, version, exit codes and the id command.
include(${CMAKE_CURRENT_LIST_DIR}/clitest.cmake)

run(0 --help)
expect_match("${out}" "Usage: basics-cli COMMAND" "--help")
expect_match("${out}" "id \\[COUNT\\]" "--help lists id")

run(0 --version)
expect_match("${out}" "^basics-cli [0-9]+\\.[0-9]+\\.[0-9]+ \\(BasicsDLL" "--version")

run(2)
run(2 no-such-command)
expect_match("${err}" "unknown command" "unknown command")

run(0 id)
expect_match("${out}" "^\\[[0-9A-F][0-9A-F](\\|[0-9A-F][0-9A-F])(\\|[0-9A-F][0-9A-F])*\\]\n$" "id")
expect_match("${out}" "^\\[00\\|00\\|" "id has 48 bits")

run(0 id 5)
string(REGEX MATCHALL "\\[[^]]*\\]" ids "${out}")
list(LENGTH ids count)
list(REMOVE_DUPLICATES ids)
list(LENGTH ids distinct)
if(NOT count EQUAL 5 OR NOT distinct EQUAL 5)
    message(FATAL_ERROR "id 5 printed ${count} ids, ${distinct} distinct")
endif()

run(2 id 0)
run(2 id many)
run(2 id 1 2)
expect_match("${err}" "^basics-cli id: " "usage error names the command")
run(0 help id)
expect_match("${out}" "Usage: basics-cli id" "help id")
