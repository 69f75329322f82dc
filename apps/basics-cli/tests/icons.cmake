# basics-cli icon-pack and icon-unpack: PNG files packed into one icon file
# and unpacked again byte for byte; unreadable input fails with one line and
# leaves nothing behind.
include(${CMAKE_CURRENT_LIST_DIR}/clitest.cmake)

run(0 color-table 4 red "#00ff00" -o ${WORK}/small.png)
run(0 color-table 24 blue yellow -o ${WORK}/large.png)
run(0 icon-pack ${WORK}/small.png ${WORK}/large.png -o ${WORK}/lens.icon)
run(0 icon-unpack ${WORK}/lens.icon ${WORK}/out)
expect_equal("${out}" "${WORK}/out/4x16-normal-off.png\n${WORK}/out/24x16-normal-off.png\n" "unpacked files")
foreach(pair "small.png;out/4x16-normal-off.png" "large.png;out/24x16-normal-off.png")
    list(GET pair 0 original)
    list(GET pair 1 unpacked)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/${original} ${WORK}/${unpacked}
        RESULT_VARIABLE differ)
    expect_equal("${differ}" "0" "${unpacked} is ${original}")
endforeach()

file(WRITE ${WORK}/text.png "not a png")
run(1 icon-pack ${WORK}/small.png ${WORK}/text.png -o ${WORK}/bad.icon)
expect_match("${err}" "^basics-cli icon-pack: cannot read the PNG image .*text.png: [^\n]*\n$" "not a PNG")
run(1 icon-pack ${WORK}/missing.png -o ${WORK}/bad.icon)
run(0 color-table 9000 red blue -o ${WORK}/wide.png)
run(1 icon-pack ${WORK}/wide.png -o ${WORK}/bad.icon)
expect_match("${err}" "larger than 8192 pixels on a side" "too wide for loadIcon")
if(EXISTS ${WORK}/bad.icon)
    message(FATAL_ERROR "a failed icon-pack left its output file")
endif()

file(READ ${WORK}/lens.icon packed HEX)
string(SUBSTRING "${packed}" 0 200 cut)
file(WRITE ${WORK}/cut.hex "${cut}")
execute_process(COMMAND python3 -c "import sys; open(sys.argv[2],'wb').write(bytes.fromhex(open(sys.argv[1]).read()))"
    ${WORK}/cut.hex ${WORK}/cut.icon)
foreach(input text.png cut.icon missing.icon)
    run(1 icon-unpack ${WORK}/${input} ${WORK}/none)
    expect_match("${err}" "^basics-cli icon-unpack: [^\n]*\n$" "${input}: one line")
endforeach()
if(EXISTS ${WORK}/none)
    message(FATAL_ERROR "a failed icon-unpack left its output folder")
endif()
run(2 icon-pack ${WORK}/small.png)
run(2 icon-unpack ${WORK}/lens.icon)
