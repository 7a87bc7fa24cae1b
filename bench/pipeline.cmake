add_executable(bench_Pipeline ${CMAKE_CURRENT_LIST_DIR}/bench_Pipeline.cpp)
target_link_libraries(bench_Pipeline PRIVATE linkpeel_resolve benchmark::benchmark)
