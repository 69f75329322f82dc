# The second tool of the organizer tests (organizerpeer.cpp): a separate
# program that registers and tags its own window, and reports how it was
# started when a test starts it as a tool.
add_executable(organizer_peer ${CMAKE_CURRENT_LIST_DIR}/organizerpeer.cpp)
target_link_libraries(organizer_peer PRIVATE BasicsDLL Qt5::Widgets)
target_include_directories(organizer_peer PRIVATE ${PROJECT_SOURCE_DIR}/tests/Platform)
add_dependencies(tst_windoworganizer organizer_peer)
target_compile_definitions(tst_windoworganizer PRIVATE
    ORGANIZER_PEER="$<TARGET_FILE:organizer_peer>")
target_include_directories(tst_windoworganizer PRIVATE
    ${PROJECT_SOURCE_DIR}/tests/Platform ${PROJECT_SOURCE_DIR}/src)
