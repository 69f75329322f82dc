# The typed-XML peer: XML property lists written and parsed by libplist.
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBPLIST REQUIRED IMPORTED_TARGET libplist-2.0)
target_link_libraries(bench_variantmapxml PRIVATE PkgConfig::LIBPLIST)
