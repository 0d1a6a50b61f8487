# Regular-expression engine layer on PCRE2 (16-bit code units).
add_library(morvessa_regex_engine STATIC regex_engine.cpp regex_pcre2.cpp regex_dialect.cpp regex_thread_init.cpp)
target_include_directories(morvessa_regex_engine PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(morvessa_regex_engine PRIVATE PkgConfig::PCRE2)
