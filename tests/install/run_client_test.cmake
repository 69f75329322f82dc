# Installs the library into a scratch prefix, builds the client project of
# this folder against it with find_package(BasicsDLL), runs its clients, and
# checks that the pkg-config file compiles and links a program too.
#   cmake -DBUILD_DIR=... -DCLIENT_SOURCE_DIR=... -DWORK_DIR=... -DCXX=... -P run_client_test.cmake

function(check_run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT code EQUAL 0)
        message(FATAL_ERROR "failed (${code}): ${ARGN}\n${out}\n${err}")
    endif()
    set(out "${out}" PARENT_SCOPE)
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
check_run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

check_run(${CMAKE_COMMAND} -S ${CLIENT_SOURCE_DIR} -B ${WORK_DIR}/build -G Ninja
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=RelWithDebInfo)
check_run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
check_run(${CMAKE_CTEST_COMMAND} --test-dir ${WORK_DIR}/build --output-on-failure)
message(STATUS "${out}")

# pkg-config: compile and link the foundation client with the .pc flags only.
file(GLOB_RECURSE pc_file ${prefix}/*/basicsdll.pc)
get_filename_component(pc_dir ${pc_file} DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pc_dir})
check_run(pkg-config --cflags --libs basicsdll)
separate_arguments(pc_flags UNIX_COMMAND "${out}")
get_filename_component(lib_dir ${pc_dir} DIRECTORY)
check_run(${CXX} -std=c++17 ${CLIENT_SOURCE_DIR}/pkgconfig_client.cpp -o ${WORK_DIR}/pkgconfig_client
    ${pc_flags} -Wl,-rpath,${lib_dir})
check_run(${WORK_DIR}/pkgconfig_client)
