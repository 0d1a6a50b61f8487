# The query's page analysis over generated result pages.
morvessa_add_benchmark(query_analysis_bench query_analysis_bench.cpp)
target_link_libraries(query_analysis_bench PRIVATE morvessa_tools_common)
