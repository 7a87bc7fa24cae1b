include(${CMAKE_CURRENT_LIST_DIR}/servers/servers.cmake)

linkpeel_test(test_WinINet SOURCES test_WinINet.cpp LIBS linkpeel_platform linkpeel_test_servers)
target_compile_definitions(test_WinINet PRIVATE LINKPEEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
