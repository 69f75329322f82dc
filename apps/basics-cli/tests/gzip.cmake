# basics-cli gzip and gunzip: files of any size and ratio, read and written
# by the system's gzip, every member of a multi-member file, standard
# streams, and failures that leave the output file untouched.
include(${CMAKE_CURRENT_LIST_DIR}/clitest.cmake)

find_program(GZIP gzip PATHS /usr/bin /bin NO_DEFAULT_PATH REQUIRED)

# Both ways with the system's gzip, from nothing to a megabyte of zeros
# (about 1000:1, which the old single buffer of twice the stream refused).
string(RANDOM LENGTH 6000 data)
file(WRITE ${WORK}/data.txt "${data}")
file(WRITE ${WORK}/short.txt "abc")
file(WRITE ${WORK}/empty.txt "")
execute_process(COMMAND head -c 1048576 /dev/zero OUTPUT_FILE ${WORK}/zeros.bin)
foreach(name data.txt short.txt empty.txt zeros.bin)
    run(0 gzip ${WORK}/${name} ${WORK}/${name}.gz)
    execute_process(COMMAND ${GZIP} -d -c ${WORK}/${name}.gz OUTPUT_FILE ${WORK}/${name}.system
                    RESULT_VARIABLE code)
    execute_process(COMMAND ${GZIP} -c -9 ${WORK}/${name} OUTPUT_FILE ${WORK}/${name}.system.gz)
    run(0 gunzip ${WORK}/${name}.system.gz ${WORK}/${name}.back)
    file(SHA256 ${WORK}/${name} original)
    file(SHA256 ${WORK}/${name}.system by_system)
    file(SHA256 ${WORK}/${name}.back back)
    if(NOT code EQUAL 0 OR NOT by_system STREQUAL original OR NOT back STREQUAL original)
        message(FATAL_ERROR "gzip interoperability failed for ${name} (${code})")
    endif()
endforeach()

# Every member, as gzip -d gives them; bytes after the last member are
# ignored, a member cut short is a failure.
execute_process(COMMAND sh -c "cat data.txt.gz short.txt.gz empty.txt.gz data.txt.gz > members.gz && cat members.gz > trailing.gz && printf trailing >> trailing.gz && head -c -5 members.gz > cut.gz"
                WORKING_DIRECTORY ${WORK})
run(0 gunzip ${WORK}/members.gz ${WORK}/members.txt)
file(READ ${WORK}/members.txt members)
expect_equal("${members}" "${data}abc${data}" "all members")
run(0 gunzip ${WORK}/trailing.gz ${WORK}/trailing.txt)
file(READ ${WORK}/trailing.txt trailing)
expect_equal("${trailing}" "${data}abc${data}" "trailing bytes ignored")

# "-" for standard input and output.
run_with_input(0 ${WORK}/data.txt.gz gunzip - -)
expect_equal("${out}" "${data}" "gunzip - -")
execute_process(COMMAND ${CLI} gzip - - COMMAND ${GZIP} -d -c INPUT_FILE ${WORK}/data.txt
                OUTPUT_VARIABLE piped RESULT_VARIABLE codes)
expect_equal("${piped}" "${data}" "gzip - - into gzip -d")

# Failures: one line, exit code 1, the output file untouched, nothing on
# standard output.
file(WRITE ${WORK}/keep.out "previous")
run(1 gunzip ${WORK}/data.txt ${WORK}/keep.out)
expect_match("${err}" "^basics-cli gunzip: .*data.txt is not a complete gzip stream: incorrect header check\n$" "not gzip")
run(1 gunzip ${WORK}/cut.gz ${WORK}/keep.out)
expect_match("${err}" "cut.gz is not a complete gzip stream: cut short\n$" "member cut short")
run(1 gunzip ${WORK}/empty.txt ${WORK}/keep.out)
expect_match("${err}" "is not a complete gzip stream: empty\n$" "empty input")
run_with_input(1 ${WORK}/cut.gz gunzip - -)
expect_equal("${out}" "" "nothing half-written on standard output")
file(READ ${WORK}/keep.out kept)
expect_equal("${kept}" "previous" "failed runs keep the output file")
run(1 gzip ${WORK}/missing.txt ${WORK}/x.gz)
expect_match("${err}" "^basics-cli gzip: cannot read .*missing.txt: No such file or directory\n$" "missing input")
run(1 gzip ${WORK}/data.txt ${WORK}/no/such/dir/x.gz)
expect_match("${err}" "^basics-cli gzip: cannot write " "unwritable output")
file(GLOB leftovers ${WORK}/keep.out?* ${WORK}/.keep.out*)
expect_equal("${leftovers}" "" "no temporary files left")
run(2 gzip ${WORK}/data.txt)
run(2 gunzip a b c)
