# Output files of every command that writes one: a full disk at several free
# sizes fails the command and leaves the previous file untouched (the error
# of a small output shows only in the last flush), and an existing output
# that is not a regular file (a FIFO) is written into, not replaced.
include(${CMAKE_CURRENT_LIST_DIR}/clitest.cmake)

set(key 0123456789abcdef)
string(RANDOM LENGTH 200000 random_text)
file(WRITE ${WORK}/big.txt "${random_text}")
file(WRITE ${WORK}/small.txt "few bytes")
file(WRITE ${WORK}/small.json "{\"a\": 1}")
file(WRITE ${WORK}/big.json "{\"a\": \"${random_text}\"}")
run(0 gzip ${WORK}/small.txt ${WORK}/small.gz)
run(0 gzip ${WORK}/big.txt ${WORK}/big.gz)

# name: arguments with @OUT@ for the output file
set(writers
    "gzip @IN@.txt @OUT@"
    "gunzip @IN@.gz @OUT@"
    "json-to-xml @IN@.json @OUT@"
    "encrypt --key ${key} --in @IN@.txt --out @OUT@"
    "xencrypt --master-key ${key} --key ${key} --in @IN@.txt --out @OUT@")

# Sets `arguments` to the writer's arguments for an input and an output.
macro(writer_arguments writer input output)
    string(REPLACE "@IN@" "${input}" arguments "${writer}")
    string(REPLACE "@OUT@" "${output}" arguments "${arguments}")
    separate_arguments(arguments)
endmacro()

# A FIFO as output: the command writes into it, the FIFO stays.
execute_process(COMMAND mkfifo ${WORK}/fifo)
foreach(writer ${writers})
    writer_arguments("${writer}" ${WORK}/small ${WORK}/fifo)
    execute_process(COMMAND sh -c "timeout 60 cat fifo > from-fifo & \"$0\" \"$@\"; code=$?; wait; exit $code"
                            ${CLI} ${arguments}
                    WORKING_DIRECTORY ${WORK} RESULT_VARIABLE code ERROR_VARIABLE err)
    file(SIZE ${WORK}/from-fifo size)
    if(NOT code EQUAL 0 OR size EQUAL 0 OR IS_SYMLINK ${WORK}/fifo)
        message(FATAL_ERROR "${writer} into a FIFO: exit ${code}, ${size} bytes\n${err}")
    endif()
    execute_process(COMMAND test -p ${WORK}/fifo RESULT_VARIABLE is_fifo)
    if(NOT is_fifo EQUAL 0)
        message(FATAL_ERROR "${writer} replaced the FIFO")
    endif()
endforeach()

# A full tmpfs (needs the right to mount, as root in the build containers).
set(mount ${WORK}/mnt)
file(MAKE_DIRECTORY ${mount})
execute_process(COMMAND mount -t tmpfs -o size=1m tmpfs ${mount} RESULT_VARIABLE mounted ERROR_QUIET)
if(NOT mounted EQUAL 0)
    message(STATUS "cannot mount a tmpfs here: full-disk cases not checked")
    return()
endif()
file(WRITE ${mount}/out "previous")
execute_process(COMMAND dd if=/dev/zero of=${mount}/filler bs=4096 OUTPUT_QUIET ERROR_QUIET)
set(failure "")
foreach(free_kib 0 8 64)
    if(free_kib GREATER 0)
        execute_process(COMMAND truncate -s -${free_kib}K ${mount}/filler)
    endif()
    foreach(writer ${writers})
        foreach(size small big)
            writer_arguments("${writer}" ${WORK}/${size} ${mount}/out)
            execute_process(COMMAND ${CLI} ${arguments} RESULT_VARIABLE code ERROR_VARIABLE err)
            file(READ ${mount}/out kept)
            file(GLOB leftovers ${mount}/out?* ${mount}/.out*)
            # Small outputs fit from 8 KiB on; big ones never do.
            if(code EQUAL 0 AND (size STREQUAL "big" OR free_kib EQUAL 0))
                string(APPEND failure "${writer} (${size}, ${free_kib} KiB free) reported success\n")
            elseif(NOT code EQUAL 0 AND NOT kept STREQUAL "previous")
                string(APPEND failure "${writer} (${size}, ${free_kib} KiB free) changed the file\n")
            elseif(NOT code EQUAL 0 AND NOT err MATCHES "^basics-cli [a-z-]+: [^\n]+\n$")
                string(APPEND failure "${writer} (${size}, ${free_kib} KiB free): '${err}'\n")
            elseif(leftovers)
                string(APPEND failure "${writer} (${size}, ${free_kib} KiB free) left ${leftovers}\n")
            endif()
            if(code EQUAL 0)
                file(WRITE ${mount}/out "previous")
            endif()
        endforeach()
    endforeach()
endforeach()
execute_process(COMMAND umount ${mount})
if(failure)
    message(FATAL_ERROR "${failure}")
endif()
