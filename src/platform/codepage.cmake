# Code-page conversion on ICU.
add_library(morvessa_codepage STATIC codepage_icu.cpp gbk_tables_icu.cpp)
target_include_directories(morvessa_codepage PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(morvessa_codepage PRIVATE PkgConfig::ICU)
