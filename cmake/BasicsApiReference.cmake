# The HTML API reference of the public headers, built with Doxygen:
#   cmake --build <build> --target docs      -> <build>/docs/api/html/index.html
# Every public class, function, enum and variable must be documented: an
# undocumented one (or a broken documentation command) fails the build.

find_package(Doxygen QUIET)
if(NOT DOXYGEN_FOUND)
    message(STATUS "Doxygen not found: the 'docs' target (API reference) is not available")
    return()
endif()

get_property(public_headers GLOBAL PROPERTY BASICSDLL_PUBLIC_HEADERS)
list(TRANSFORM public_headers PREPEND "${PROJECT_SOURCE_DIR}/src/")
list(SORT public_headers)
list(JOIN public_headers " \\\n    " BASICSDLL_DOXYGEN_INPUT)
set(BASICSDLL_DOXYGEN_MAINPAGE "${PROJECT_SOURCE_DIR}/docs/api-mainpage.md")
set(BASICSDLL_DOXYGEN_OUTPUT "${PROJECT_BINARY_DIR}/docs/api")
configure_file(${PROJECT_SOURCE_DIR}/docs/Doxyfile.in ${PROJECT_BINARY_DIR}/docs/Doxyfile @ONLY)

add_custom_target(docs
    COMMAND ${CMAKE_COMMAND} -E make_directory ${BASICSDLL_DOXYGEN_OUTPUT}
    COMMAND ${DOXYGEN_EXECUTABLE} ${PROJECT_BINARY_DIR}/docs/Doxyfile
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/docs
    COMMENT "API reference (Doxygen): ${BASICSDLL_DOXYGEN_OUTPUT}/html/index.html"
    VERBATIM)
