# Adds every direct subfolder of the current source folder that has a
# CMakeLists.txt, in alphabetical order: features bring their tests,
# benchmarks and fuzz targets along in folders of their own.
function(basics_add_feature_subdirectories)
    file(GLOB children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(SORT children)
    foreach(child ${children})
        if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
            add_subdirectory(${child})
        endif()
    endforeach()
endfunction()
