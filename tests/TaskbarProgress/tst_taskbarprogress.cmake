# The launcher signals are received through Qt D-Bus on the desktop
# session's bus; the window handles come from its X server.
find_package(Qt5 5.15 REQUIRED COMPONENTS DBus)
target_link_libraries(tst_taskbarprogress PRIVATE Qt5::DBus)
target_include_directories(tst_taskbarprogress PRIVATE ${PROJECT_SOURCE_DIR}/src)
basics_desktop_test(tst_taskbarprogress)
