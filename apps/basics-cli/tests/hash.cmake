# basics-cli hash: the 64-bit text hash in decimal and hex.
include(${CMAKE_CURRENT_LIST_DIR}/clitest.cmake)

# run() would drop an empty argument.
execute_process(COMMAND ${CLI} hash "" RESULT_VARIABLE code OUTPUT_VARIABLE out)
expect_equal("${code}" "0" "exit code of hash of the empty text")
expect_equal("${out}" "957977401221134810 0x0d4b6b5eeea339da\n" "hash of the empty text")
run(0 hash abc)
expect_equal("${out}" "7674422142938552745 0x6a810647363e99a9\n" "hash of abc")
run(0 hash "Linse ä €")
expect_equal("${out}" "709321689340704737 0x09d804517ca1f7e1\n" "hash of UTF-8 text")
run(2 hash)
run(2 hash a b)
expect_match("${err}" "^basics-cli hash: " "usage error names the command")
