# The peer reads the windows with xcb directly.
target_link_libraries(bench_userdata PRIVATE PkgConfig::basics_xcb)
