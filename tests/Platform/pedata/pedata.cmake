# PE test files with known version resources, made at build time with
# mingw-w64's windres and linker from the sources of this folder, into
# ${BASICS_PE_TESTDATA_DIR} (the same place in every build tree):
#   versioned.exe     PE32+ program, file version 2.5.31.7, product 4.0.65535.12
#   unversioned.exe   the same program without a version resource
#   resources64.dll   PE32+ resource-only DLL, German version resource among
#                     other resources: file 65535.65534.1.0, product 7.8.9.10
#   resources32.dll   the same as a PE32 image
#   othername.dll     a version resource under name 2 only (counts as none)
#   damaged/*.bin     damaged copies of versioned.exe and resources32.dll
#                     (make_variants.py), none with a readable version
# Target: basics_pe_testdata (built with ALL).

set(BASICS_PE_TESTDATA_DIR ${PROJECT_BINARY_DIR}/testdata/pe)
include_guard(GLOBAL)

find_program(BASICS_MINGW_WINDRES x86_64-w64-mingw32-windres)
find_program(BASICS_MINGW_GCC NAMES x86_64-w64-mingw32-gcc-posix x86_64-w64-mingw32-gcc)
find_program(BASICS_MINGW_LD x86_64-w64-mingw32-ld)
find_package(Python3 COMPONENTS Interpreter)
if(NOT BASICS_MINGW_WINDRES OR NOT BASICS_MINGW_GCC OR NOT BASICS_MINGW_LD OR NOT Python3_FOUND)
    message(FATAL_ERROR "The PE test files need mingw-w64 (windres, gcc, ld) and python3; "
        "scripts/setup.sh installs them")
endif()

set(_pe_src ${CMAKE_CURRENT_LIST_DIR})
set(_pe_out ${BASICS_PE_TESTDATA_DIR})
set(_pe_obj ${PROJECT_BINARY_DIR}/testdata/pe-objects)
file(MAKE_DIRECTORY ${_pe_out} ${_pe_obj})
# No time stamps: the same sources give the same bytes.
set(_pe_link_flags -s -Wl,--no-insert-timestamp)

function(_basics_pe_resource rc target_format object)
    add_custom_command(OUTPUT ${object}
        COMMAND ${BASICS_MINGW_WINDRES} -F ${target_format} ${_pe_src}/${rc} -O coff -o ${object}
        DEPENDS ${_pe_src}/${rc}
        COMMENT "windres ${rc} (${target_format})" VERBATIM)
endfunction()

_basics_pe_resource(versioned.rc pe-x86-64 ${_pe_obj}/versioned64.o)
_basics_pe_resource(resources.rc pe-x86-64 ${_pe_obj}/resources64.o)
_basics_pe_resource(resources.rc pe-i386 ${_pe_obj}/resources32.o)
_basics_pe_resource(other-name.rc pe-x86-64 ${_pe_obj}/othername64.o)

add_custom_command(OUTPUT ${_pe_out}/versioned.exe
    COMMAND ${BASICS_MINGW_GCC} ${_pe_link_flags} -o ${_pe_out}/versioned.exe
            ${_pe_src}/program.c ${_pe_obj}/versioned64.o
    DEPENDS ${_pe_src}/program.c ${_pe_obj}/versioned64.o VERBATIM)
add_custom_command(OUTPUT ${_pe_out}/unversioned.exe
    COMMAND ${BASICS_MINGW_GCC} ${_pe_link_flags} -o ${_pe_out}/unversioned.exe
            ${_pe_src}/program.c
    DEPENDS ${_pe_src}/program.c VERBATIM)
add_custom_command(OUTPUT ${_pe_out}/resources64.dll
    COMMAND ${BASICS_MINGW_LD} -m i386pep --dll -e 0 -s --no-insert-timestamp
            -o ${_pe_out}/resources64.dll ${_pe_obj}/resources64.o
    DEPENDS ${_pe_obj}/resources64.o VERBATIM)
add_custom_command(OUTPUT ${_pe_out}/resources32.dll
    COMMAND ${BASICS_MINGW_LD} -m i386pe --dll -e 0 -s --no-insert-timestamp
            -T ${_pe_src}/pe32.x -o ${_pe_out}/resources32.dll ${_pe_obj}/resources32.o
    DEPENDS ${_pe_obj}/resources32.o ${_pe_src}/pe32.x VERBATIM)
add_custom_command(OUTPUT ${_pe_out}/othername.dll
    COMMAND ${BASICS_MINGW_LD} -m i386pep --dll -e 0 -s --no-insert-timestamp
            -o ${_pe_out}/othername.dll ${_pe_obj}/othername64.o
    DEPENDS ${_pe_obj}/othername64.o VERBATIM)
add_custom_command(OUTPUT ${_pe_out}/damaged/stamp
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${_pe_out}/damaged
    COMMAND ${Python3_EXECUTABLE} ${_pe_src}/make_variants.py
            ${_pe_out}/versioned.exe ${_pe_out}/damaged versioned
    COMMAND ${Python3_EXECUTABLE} ${_pe_src}/make_variants.py
            ${_pe_out}/resources32.dll ${_pe_out}/damaged resources32
    COMMAND ${CMAKE_COMMAND} -E touch ${_pe_out}/damaged/stamp
    DEPENDS ${_pe_src}/make_variants.py ${_pe_out}/versioned.exe ${_pe_out}/resources32.dll
    VERBATIM)

add_custom_target(basics_pe_testdata ALL DEPENDS
    ${_pe_out}/versioned.exe ${_pe_out}/unversioned.exe ${_pe_out}/resources64.dll
    ${_pe_out}/resources32.dll ${_pe_out}/othername.dll ${_pe_out}/damaged/stamp)
