# The loopback test servers, shared by the web tests and benchmarks.
if(NOT TARGET linkpeel_test_servers)
  find_package(Threads REQUIRED)
  add_library(linkpeel_test_servers STATIC ${CMAKE_CURRENT_LIST_DIR}/LoopbackServer.cpp)
  target_include_directories(linkpeel_test_servers PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(linkpeel_test_servers PUBLIC Threads::Threads)
endif()
