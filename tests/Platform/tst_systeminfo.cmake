# The signed PE files, and on Linux two shared objects for the module list:
# one named as a library (".so.1.2"), one not (".plugin").
include(${CMAKE_CURRENT_LIST_DIR}/signdata/signdata.cmake)
add_dependencies(${target} basics_signed_testdata)
target_compile_definitions(${target} PRIVATE
    BASICS_SIGNED_TESTDATA_DIR="${BASICS_SIGNED_TESTDATA_DIR}")
if(NOT WIN32)
    foreach(probe library plugin)
        add_library(basics_sysinfo_probe_${probe} SHARED
            ${CMAKE_CURRENT_LIST_DIR}/signdata/probe.cpp)
        set_target_properties(basics_sysinfo_probe_${probe} PROPERTIES
            PREFIX "" OUTPUT_NAME sysinfoprobe)
    endforeach()
    set_target_properties(basics_sysinfo_probe_library PROPERTIES
        PREFIX "lib" SUFFIX ".so.1.2" LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/probes)
    set_target_properties(basics_sysinfo_probe_plugin PROPERTIES
        SUFFIX ".plugin" LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/probes)
    add_dependencies(${target} basics_sysinfo_probe_library basics_sysinfo_probe_plugin)
    target_compile_definitions(${target} PRIVATE
        BASICS_PROBE_LIBRARY="$<TARGET_FILE:basics_sysinfo_probe_library>"
        BASICS_PROBE_PLUGIN="$<TARGET_FILE:basics_sysinfo_probe_plugin>")
endif()
