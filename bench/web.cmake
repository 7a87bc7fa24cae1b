# The web access routine's whole-exchange figures: bench/web_bench.sh runs
# web_bench against a loopback server, next to curl and plain libcurl.
include(${PROJECT_SOURCE_DIR}/tests/servers/servers.cmake)
find_package(CURL REQUIRED)
add_executable(web_bench ${CMAKE_CURRENT_LIST_DIR}/web_bench.cpp)
target_include_directories(web_bench PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(web_bench PRIVATE linkpeel_web linkpeel_test_servers CURL::libcurl)
