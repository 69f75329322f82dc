# The children are the test peer of the platform tests.
add_dependencies(tst_wprocess platform_testpeer)
target_compile_definitions(tst_wprocess PRIVATE TEST_PEER="$<TARGET_FILE:platform_testpeer>")
target_include_directories(tst_wprocess PRIVATE
    ${PROJECT_SOURCE_DIR}/tests/Platform ${PROJECT_SOURCE_DIR}/src)
