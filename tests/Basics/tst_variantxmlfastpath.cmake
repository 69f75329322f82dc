# The writer and both readers are private: they are compiled into the test.
set(basics_src ${PROJECT_SOURCE_DIR}/src/Basics)
target_sources(tst_variantxmlfastpath PRIVATE
    ${basics_src}/variantxmlwriter.cpp ${basics_src}/variantxmlfastreader.cpp
    ${basics_src}/variantxmlreader.cpp ${basics_src}/xmlguard.cpp)
target_include_directories(tst_variantxmlfastpath PRIVATE ${PROJECT_SOURCE_DIR}/src)
