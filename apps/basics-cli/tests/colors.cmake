# basics-cli color-table and wavelength: worked colours, the PNG strip's
# header as Python reads it, bad counts and colours.
include(${CMAKE_CURRENT_LIST_DIR}/clitest.cmake)

run(0 color-table 3 blue red)
expect_equal("${out}" "#0000ff\n#ff00ff\n#ff0000\n" "blue to red the short way, through magenta")
run(0 color-table 1 "#102030" white)
expect_equal("${out}" "#102030\n" "one entry: the first colour")
run(0 wavelength 700)
expect_equal("${out}" "#ff0000\n" "700 nm")
run(0 wavelength 550)
expect_equal("${out}" "#92ff00\n" "550 nm: hue 85.7 degrees")
run(0 wavelength 900)
expect_equal("${out}" "#000000\n" "900 nm")

run(0 color-table 300 black white -o ${WORK}/strip.png)
expect_equal("${out}" "" "a strip prints nothing")
execute_process(COMMAND python3 -c
    "import struct,sys; d=open(sys.argv[1],'rb').read(); print(d[:8]==b'\\x89PNG\\r\\n\\x1a\\n', *struct.unpack('>II', d[16:24]))"
    ${WORK}/strip.png OUTPUT_VARIABLE header RESULT_VARIABLE code)
expect_equal("${code}:${header}" "0:True 300 16\n" "PNG strip, one column per colour")

foreach(count 0 -1 16777217 x)
    run(2 color-table ${count} red blue)
    expect_match("${err}" "^basics-cli color-table: COUNT must be a whole number from 1 to 16777216" "count ${count}")
endforeach()
run(2 color-table 3 red)
run(2 color-table 3 red "#12345")
expect_match("${err}" "'#12345' is no colour" "invalid colour")
run(2 color-table 70000 red blue -o ${WORK}/wide.png)
run(2 color-table 3 red blue -o)
run(2 wavelength green)
run(2 wavelength)
