# Checks basics-cli's frame: help, version, exit codes and the id command.
# Run by CTest: cmake -DCLI=<path to basics-cli> -P test_cli.cmake

function(run expected_code)
    execute_process(COMMAND ${CLI} ${ARGN}
        RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT code EQUAL expected_code)
        message(FATAL_ERROR "basics-cli ${ARGN}: exit ${code}, expected ${expected_code}\n${out}${err}")
    endif()
    set(out "${out}" PARENT_SCOPE)
    set(err "${err}" PARENT_SCOPE)
endfunction()

function(expect_match text regex what)
    if(NOT text MATCHES "${regex}")
        message(FATAL_ERROR "${what}: '${text}' does not match '${regex}'")
    endif()
endfunction()

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
