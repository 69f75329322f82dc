# The peer: zlib called directly with the same parameters.
find_package(ZLIB REQUIRED)
target_link_libraries(bench_gzip PRIVATE ZLIB::ZLIB)
