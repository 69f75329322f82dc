# Adds every direct subfolder of the current source folder that has a
# CMakeLists.txt, in alphabetical order, except those named after EXCLUDE:
# features bring their tests, benchmarks and fuzz targets along in folders
# of their own.
function(basics_add_feature_subdirectories)
    cmake_parse_arguments(ARG "" "" "EXCLUDE" ${ARGN})
    file(GLOB children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(SORT children)
    foreach(child ${children})
        get_filename_component(name ${child} NAME)
        if(name IN_LIST ARG_EXCLUDE)
            continue()
        endif()
        if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
            add_subdirectory(${child})
        endif()
    endforeach()
endfunction()
