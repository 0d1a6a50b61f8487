# The progress pattern's scan over GBK pages of growing size.
morvessa_add_benchmark(regex_scan_bench regex_scan_bench.cpp)
target_link_libraries(regex_scan_bench PRIVATE morvessa_extract morvessa_codepage)
