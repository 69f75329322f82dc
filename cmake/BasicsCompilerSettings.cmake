# Warnings and sanitizer switches shared by every target of the project.

add_compile_options(-Wall -Wextra)

# The library deliberately uses a few toolkit calls that Qt 5 marks as
# deprecated (QRegExp, qrand, qSort, ...): they keep the long-standing
# behaviour that stored files and callers rely on.
add_compile_definitions(QT_NO_DEPRECATED_WARNINGS)

if(BASICSDLL_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "BASICSDLL_FUZZ needs clang++ (-DCMAKE_CXX_COMPILER=clang++)")
    endif()
    # Coverage feedback for libFuzzer everywhere; the fuzz targets link the
    # fuzzer itself. Fuzzing always runs with ASan and UBSan.
    add_compile_options(-fsanitize=fuzzer-no-link)
    if(NOT BASICSDLL_SANITIZE)
        set(BASICSDLL_SANITIZE "address,undefined")
    endif()
    set(BASICSDLL_BUILD_TESTS OFF)
    set(BASICSDLL_BUILD_APPS OFF)
    set(BASICSDLL_BUILD_BENCH OFF)
endif()

if(BASICSDLL_SANITIZE)
    add_compile_options(-fsanitize=${BASICSDLL_SANITIZE} -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=${BASICSDLL_SANITIZE})
    if(BASICSDLL_SANITIZE MATCHES "undefined")
        add_compile_options(-fno-sanitize-recover=undefined)
    endif()
endif()
