add_executable(bench_text TextBench.cpp)
target_link_libraries(bench_text PRIVATE linkpeel_text benchmark::benchmark)
target_include_directories(bench_text PRIVATE ${PROJECT_SOURCE_DIR})

add_executable(bench_text_memory TextMemory.cpp)
target_link_libraries(bench_text_memory PRIVATE linkpeel_text)
target_include_directories(bench_text_memory PRIVATE ${PROJECT_SOURCE_DIR})
