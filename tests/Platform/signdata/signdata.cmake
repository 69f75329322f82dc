# Signed PE test files, made at build time (make_signed.py) with fresh
# certificates from openssl and signatures from osslsigncode, into
# ${BASICS_SIGNED_TESTDATA_DIR} (the same place in every build tree).
# Expected signers (display names):
#   leaf-first.exe       "Linsenschleiferei Müller"  leaf, then its CA
#   leaf-first-pe32.dll  "Linsenschleiferei Müller"  the same in a PE32 DLL
#   issuer-first.exe     "Precision Optics Release Signing"  CA stored first
#   no-cn.exe            "Abteilung Linsen"  no common name: the unit
#   email-only.exe       "release@optik.example"  empty subject, e-mail
#                        alternative name
#   no-name.exe          none: empty subject, no alternative name
#   no-certificate.exe   none: the signer's certificate is not embedded
#   unsigned.exe, truncated.exe, corrupted.exe, huge-length.exe,
#   beyond-end.exe       none: no readable signature
# Target: basics_signed_testdata (built with ALL).

set(BASICS_SIGNED_TESTDATA_DIR ${PROJECT_BINARY_DIR}/testdata/signed)
include_guard(GLOBAL)

find_program(BASICS_OPENSSL openssl)
find_program(BASICS_OSSLSIGNCODE osslsigncode)
find_program(BASICS_MINGW_WINDRES x86_64-w64-mingw32-windres)
find_program(BASICS_MINGW_GCC NAMES x86_64-w64-mingw32-gcc-posix x86_64-w64-mingw32-gcc)
find_program(BASICS_MINGW_LD x86_64-w64-mingw32-ld)
find_package(Python3 COMPONENTS Interpreter)
if(NOT BASICS_OPENSSL OR NOT BASICS_OSSLSIGNCODE OR NOT BASICS_MINGW_WINDRES
   OR NOT BASICS_MINGW_GCC OR NOT BASICS_MINGW_LD OR NOT Python3_FOUND)
    message(FATAL_ERROR "The signed PE test files need openssl, osslsigncode, mingw-w64 and "
        "python3; scripts/setup.sh installs them")
endif()

set(_signed_src ${CMAKE_CURRENT_LIST_DIR})
set(_signed_obj ${PROJECT_BINARY_DIR}/testdata/signed-objects)
file(MAKE_DIRECTORY ${_signed_obj})

add_custom_command(OUTPUT ${_signed_obj}/program.exe
    COMMAND ${BASICS_MINGW_GCC} -s -Wl,--no-insert-timestamp -o ${_signed_obj}/program.exe
            ${_signed_src}/../pedata/program.c
    DEPENDS ${_signed_src}/../pedata/program.c VERBATIM)
add_custom_command(OUTPUT ${_signed_obj}/library32.o
    COMMAND ${BASICS_MINGW_WINDRES} -F pe-i386 ${_signed_src}/library.rc -O coff
            -o ${_signed_obj}/library32.o
    DEPENDS ${_signed_src}/library.rc VERBATIM)
add_custom_command(OUTPUT ${_signed_obj}/library32.dll
    COMMAND ${BASICS_MINGW_LD} -m i386pe --dll -e 0 -s --no-insert-timestamp
            -T ${_signed_src}/../pedata/pe32.x -o ${_signed_obj}/library32.dll
            ${_signed_obj}/library32.o
    DEPENDS ${_signed_obj}/library32.o ${_signed_src}/../pedata/pe32.x VERBATIM)
add_custom_command(OUTPUT ${BASICS_SIGNED_TESTDATA_DIR}/stamp
    COMMAND ${Python3_EXECUTABLE} ${_signed_src}/make_signed.py ${BASICS_OPENSSL}
            ${BASICS_OSSLSIGNCODE} ${_signed_obj}/program.exe ${_signed_obj}/library32.dll
            ${BASICS_SIGNED_TESTDATA_DIR}
    COMMAND ${CMAKE_COMMAND} -E touch ${BASICS_SIGNED_TESTDATA_DIR}/stamp
    DEPENDS ${_signed_src}/make_signed.py ${_signed_obj}/program.exe ${_signed_obj}/library32.dll
    COMMENT "Signed PE test files" VERBATIM)

add_custom_target(basics_signed_testdata ALL DEPENDS ${BASICS_SIGNED_TESTDATA_DIR}/stamp)
