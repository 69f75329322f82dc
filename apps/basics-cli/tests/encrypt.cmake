# encrypt / decrypt: round trips through files and stdin, the exact bytes of
# a known cyphertext, usage errors, and failures that leave stdout and the
# output file untouched.
include(${CMAKE_CURRENT_LIST_DIR}/clitest.cmake)

set(key 0123456789abcdef)
set(plain ${WORK}/plain.txt)
file(WRITE ${plain} "Brechzahl 1.5168\nAbbe 64.17\n")

# Base64 text through files, then raw bytes through stdin and stdout.
run(0 encrypt --key ${key} --in ${plain} --out ${WORK}/cypher.txt)
file(READ ${WORK}/cypher.txt text)
expect_match("${text}" "^[A-Za-z0-9+/]+=*\n$" "text form is one Base64 line")
run(0 decrypt --key ${key} --in ${WORK}/cypher.txt --out ${WORK}/back.txt)
file(READ ${WORK}/back.txt back)
file(READ ${plain} original)
expect_equal("${back}" "${original}" "text round trip")
run(0 encrypt --key ${key} --format raw --compress always --integrity hash --out ${WORK}/cypher.bin --in ${plain})
run_with_input(0 ${WORK}/cypher.bin decrypt --key ${key} --format raw)
expect_equal("${out}" "${original}" "raw round trip through stdin")

# Known bytes: version 3, no flags, scrambled [0]"Lens".
file(WRITE ${WORK}/lens.txt "Lens")
run(0 encrypt --key ${key} --compress never --integrity none --no-random-byte --format raw
    --in ${WORK}/lens.txt --out ${WORK}/lens.bin)
file(READ ${WORK}/lens.bin hex HEX)
expect_equal("${hex}" "0300ef6ea04753" "known cyphertext")
run(0 encrypt --key ${key} --no-random-byte --in ${plain})
set(first "${out}")
run(0 encrypt --key ${key} --no-random-byte --in ${plain})
expect_equal("${out}" "${first}" "without the random byte the output repeats")

# Failures: the library's error text, nothing on stdout, no output file.
run(1 decrypt --key fedcba9876543210 --in ${WORK}/cypher.txt --out ${WORK}/never.txt)
expect_match("${err}" "^basics-cli decrypt: Integrity failed\n$" "wrong key")
expect_equal("${out}" "" "wrong key prints nothing")
if(EXISTS ${WORK}/never.txt)
    message(FATAL_ERROR "a failed decrypt created its output file")
endif()
file(WRITE ${WORK}/version.txt "BAAAAA==\n")
run(1 decrypt --key ${key} --in ${WORK}/version.txt)
expect_match("${err}" "Unknown version" "version 4")
expect_equal("${out}" "" "version 4 prints nothing")
file(WRITE ${WORK}/short.txt "AwA=")
run(1 decrypt --key ${key} --in ${WORK}/short.txt)
expect_match("${err}" "shorter than a cyphertext" "two bytes")
file(WRITE ${WORK}/notbase64.txt "this is *not* Base64")
run(1 decrypt --key ${key} --in ${WORK}/notbase64.txt)
expect_match("${err}" "not Base64" "bad text")
run(1 decrypt --key ${key} --in ${WORK}/missing.txt)
expect_match("${err}" "cannot read" "missing input")

# --require-integrity refuses a cyphertext without checksum or hash.
run(0 encrypt --key ${key} --integrity none --in ${plain} --out ${WORK}/bare.txt)
run(1 decrypt --key ${key} --require-integrity --in ${WORK}/bare.txt)
expect_match("${err}" "^basics-cli decrypt: Integrity failed\n$" "integrity required")
expect_equal("${out}" "" "integrity required prints nothing")
run(0 decrypt --key ${key} --in ${WORK}/bare.txt)
run(0 decrypt --key ${key} --require-integrity --in ${WORK}/cypher.txt)
expect_equal("${out}" "${original}" "integrity present")

# Inputs beyond what memory or a byte array holds: one line, exit 1, nothing
# on stdout and no output file. The memory limit is ulimit -v; a build with
# AddressSanitizer (which reserves terabytes of address space) uses its
# allocation limit instead.
execute_process(COMMAND truncate -s 96M ${WORK}/large.bin)
set(large_args encrypt --key ${key} --compress never --in ${WORK}/large.bin --out ${WORK}/large.txt)
if(SANITIZE MATCHES "address")
    execute_process(COMMAND env "ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1:max_allocation_size_mb=64"
        ${CLI} ${large_args} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
    # The sanitizer's own "==pid==WARNING: ... failed to allocate" line.
    string(REGEX REPLACE "==[0-9]+==WARNING[^\n]*\n" "" err "${err}")
else()
    execute_process(COMMAND sh -c "ulimit -v 250000 && exec \"$0\" \"$@\"" ${CLI} ${large_args}
        RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
endif()
expect_equal("${code}" "1" "large input under a memory limit")
expect_match("${err}" "^basics-cli encrypt: [^\n]+\n$" "one line for a large input")
expect_equal("${out}" "" "a large input prints nothing")
if(EXISTS ${WORK}/large.txt)
    message(FATAL_ERROR "a failed encrypt created its output file")
endif()
file(REMOVE ${WORK}/large.bin)
# A file beyond 2 GiB (sparse) was read as empty and encrypted with success.
execute_process(COMMAND truncate -s 3G ${WORK}/huge.bin)
run(1 encrypt --key ${key} --in ${WORK}/huge.bin)
expect_match("${err}" "^basics-cli encrypt: the input is too large \\(at most 2 GiB\\)\n$" "beyond 2 GiB")
run_with_input(1 ${WORK}/huge.bin encrypt --key ${key})
expect_match("${err}" "too large" "beyond 2 GiB on stdin")
file(REMOVE ${WORK}/huge.bin)

# Usage errors.
run(2 encrypt --in ${plain})
expect_match("${err}" "--key is required" "no key")
run(2 encrypt --key 0123456789abcde --in ${plain})
run(2 encrypt --key 0123456789abcdeg --in ${plain})
run(2 encrypt --key ${key} --compress sometimes --in ${plain})
run(2 encrypt --key ${key} --integrity crc --in ${plain})
run(2 decrypt --key ${key} --format base64 --in ${plain})
run(2 decrypt --key ${key} extra)
run(2 decrypt --key ${key} --no-such-option)
run(0 help encrypt)
expect_match("${out}" "Usage: basics-cli encrypt --key HEX" "help encrypt")
