# The other tool is the test peer of the platform tests (tests/Platform): it
# shows a tagged window, and reports how it was started when a test starts
# it as a tool.
add_dependencies(tst_windoworganizer platform_testpeer)
target_compile_definitions(tst_windoworganizer PRIVATE TEST_PEER="$<TARGET_FILE:platform_testpeer>")
target_include_directories(tst_windoworganizer PRIVATE
    ${PROJECT_SOURCE_DIR}/tests/Platform ${PROJECT_SOURCE_DIR}/src)
