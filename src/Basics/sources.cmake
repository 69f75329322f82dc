# Basics: zlib for the gzip framing (private to the library).
find_package(ZLIB REQUIRED)
target_link_libraries(BasicsDLL PRIVATE ZLIB::ZLIB)
