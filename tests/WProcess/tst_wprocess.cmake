# The children are the launch reporter of the platform tests.
add_dependencies(tst_wprocess platform_launchreporter)
target_compile_definitions(tst_wprocess PRIVATE
    BASICS_LAUNCH_REPORTER="$<TARGET_FILE:platform_launchreporter>")
target_include_directories(tst_wprocess PRIVATE
    ${PROJECT_SOURCE_DIR}/tests/Platform ${PROJECT_SOURCE_DIR}/src)
