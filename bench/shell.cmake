# Whole-process start-up of the window program, against a bare Qt program
# that shows one empty window; run with bench/shell_startup.sh.
find_package(X11 REQUIRED)

add_executable(shell_bare ${CMAKE_CURRENT_LIST_DIR}/shell_bare.cpp)
target_link_libraries(shell_bare PRIVATE Qt6::Widgets)

add_executable(shell_escape ${CMAKE_CURRENT_LIST_DIR}/shell_escape.cpp)
target_link_libraries(shell_escape PRIVATE X11::X11)

# Writing a long link into the result box; bench_shell_longlink.
add_executable(bench_shell_longlink ${CMAKE_CURRENT_LIST_DIR}/shell_longlink.cpp)
target_link_libraries(bench_shell_longlink PRIVATE linkpeel_shell benchmark::benchmark)
target_include_directories(bench_shell_longlink PRIVATE ${PROJECT_SOURCE_DIR})
