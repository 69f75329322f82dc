# Helpers for the basics-cli test scripts of this folder. Each script runs as
# one CTest test: cmake -DCLI=<basics-cli> -DWORK=<scratch dir> -P <script>

# run(<expected exit code> <arguments...>): sets out and err.
function(run expected_code)
    execute_process(COMMAND ${CLI} ${ARGN}
        RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT code EQUAL expected_code)
        message(FATAL_ERROR "basics-cli ${ARGN}: exit ${code}, expected ${expected_code}\n${out}${err}")
    endif()
    set(out "${out}" PARENT_SCOPE)
    set(err "${err}" PARENT_SCOPE)
endfunction()

# run_with_input(<expected exit code> <input file> <arguments...>): the same
# with stdin read from a file.
function(run_with_input expected_code input)
    execute_process(COMMAND ${CLI} ${ARGN} INPUT_FILE ${input}
        RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT code EQUAL expected_code)
        message(FATAL_ERROR "basics-cli ${ARGN} < ${input}: exit ${code}, expected ${expected_code}\n${out}${err}")
    endif()
    set(out "${out}" PARENT_SCOPE)
    set(err "${err}" PARENT_SCOPE)
endfunction()

function(expect_match text regex what)
    if(NOT text MATCHES "${regex}")
        message(FATAL_ERROR "${what}: '${text}' does not match '${regex}'")
    endif()
endfunction()

function(expect_equal actual expected what)
    if(NOT actual STREQUAL expected)
        message(FATAL_ERROR "${what}: got '${actual}', expected '${expected}'")
    endif()
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
