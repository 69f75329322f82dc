# basics-cli gzip and gunzip: files in the library's gzip framing, read and
# written by the system's gzip.
include(${CMAKE_CURRENT_LIST_DIR}/clitest.cmake)

find_program(GZIP gzip PATHS /usr/bin /bin NO_DEFAULT_PATH REQUIRED)

# Random letters and digits compress to about three quarters, so the data is
# less than twice its stream and gunzip can take our own output back.
string(RANDOM LENGTH 6000 data)
file(WRITE ${WORK}/data.txt "${data}")

run(0 gzip ${WORK}/data.txt ${WORK}/data.gz)
execute_process(COMMAND ${GZIP} -d -c ${WORK}/data.gz OUTPUT_VARIABLE decoded RESULT_VARIABLE code)
if(NOT code EQUAL 0 OR NOT decoded STREQUAL data)
    message(FATAL_ERROR "system gzip cannot read the output of basics-cli gzip (${code})")
endif()
run(0 gunzip ${WORK}/data.gz ${WORK}/back.txt)
file(READ ${WORK}/back.txt back)
expect_equal("${back}" "${data}" "gzip then gunzip")

execute_process(COMMAND ${GZIP} -c -9 ${WORK}/data.txt OUTPUT_FILE ${WORK}/system.gz RESULT_VARIABLE code)
run(0 gunzip ${WORK}/system.gz ${WORK}/system.txt)
file(READ ${WORK}/system.txt system)
expect_equal("${system}" "${data}" "gunzip of the system's gzip output")

# Failures: one line, exit code 1, the output file untouched.
file(WRITE ${WORK}/short.txt "abc")
file(WRITE ${WORK}/keep.out "previous")
run(1 gzip ${WORK}/short.txt ${WORK}/keep.out)
expect_match("${err}" "^basics-cli gzip: the gzip stream of 3 bytes does not fit into 15 bytes" "short input")
run(1 gunzip ${WORK}/data.txt ${WORK}/keep.out)
expect_match("${err}" "^basics-cli gunzip: .*data.txt is not a complete gzip stream" "not gzip")
file(READ ${WORK}/keep.out kept)
expect_equal("${kept}" "previous" "failed runs keep the output file")
run(1 gzip ${WORK}/missing.txt ${WORK}/x.gz)
expect_match("${err}" "^basics-cli gzip: cannot read .*missing.txt: No such file or directory\n$" "missing input")
run(1 gzip ${WORK}/data.txt ${WORK}/no/such/dir/x.gz)
expect_match("${err}" "^basics-cli gzip: cannot write " "unwritable output")
run(2 gzip ${WORK}/data.txt)
run(2 gunzip a b c)
