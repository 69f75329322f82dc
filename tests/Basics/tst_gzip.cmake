# The test computes the stream's CRC-32 with zlib itself.
find_package(ZLIB REQUIRED)
target_link_libraries(tst_gzip PRIVATE ZLIB::ZLIB)
