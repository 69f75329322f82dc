# Crypt inflates compressed bodies itself (with a bounded output buffer).
find_package(ZLIB REQUIRED)
target_link_libraries(BasicsDLL PRIVATE ZLIB::ZLIB)
