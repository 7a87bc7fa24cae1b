add_executable(bench_resolve ResolveBench.cpp)
target_link_libraries(bench_resolve PRIVATE linkpeel_resolve benchmark::benchmark)
target_include_directories(bench_resolve PRIVATE ${PROJECT_SOURCE_DIR})
