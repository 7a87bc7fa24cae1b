# The loopback test servers, shared by the web tests and benchmarks. The
# server is written once over a few socket calls, which come from BSD
# sockets or from Winsock 2.
if(NOT TARGET linkpeel_test_servers)
  find_package(Threads REQUIRED)
  if(WIN32)
    set(socket_calls ${CMAKE_CURRENT_LIST_DIR}/LoopbackSocketWinsock.cpp)
  else()
    set(socket_calls ${CMAKE_CURRENT_LIST_DIR}/LoopbackSocketPosix.cpp)
  endif()
  add_library(linkpeel_test_servers STATIC ${CMAKE_CURRENT_LIST_DIR}/LoopbackServer.cpp ${socket_calls})
  target_include_directories(linkpeel_test_servers PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(linkpeel_test_servers PUBLIC Threads::Threads)
  if(WIN32)
    target_link_libraries(linkpeel_test_servers PUBLIC ws2_32)
  endif()
endif()
