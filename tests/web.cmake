include(${CMAKE_CURRENT_LIST_DIR}/servers/servers.cmake)

linkpeel_test(test_WinINet SOURCES test_WinINet.cpp LIBS linkpeel_wininet linkpeel_test_servers)
target_compile_definitions(test_WinINet PRIVATE LINKPEEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

linkpeel_test(test_Url SOURCES test_Url.cpp LIBS linkpeel_web)
linkpeel_test(test_Cookies SOURCES test_Cookies.cpp LIBS linkpeel_web)

# WebAccess twice: over a recording WinINet that replaces the platform's (the
# routine's objects with the fake, and no other WinINet in the program), and
# over the real one.
add_library(linkpeel_recording_wininet STATIC fakes/RecordingWinINet.cpp)
target_link_libraries(linkpeel_recording_wininet PUBLIC linkpeel_platform)
linkpeel_test(test_WebAccess SOURCES test_WebAccess.cpp $<TARGET_OBJECTS:linkpeel_web_objects>
              LIBS linkpeel_text linkpeel_recording_wininet)
target_compile_definitions(test_WebAccess PRIVATE LINKPEEL_RECORDED_WININET)
linkpeel_test(test_WebAccessLoopback SOURCES test_WebAccess.cpp LIBS linkpeel_web linkpeel_test_servers)
linkpeel_test(test_Download SOURCES test_Download.cpp LIBS linkpeel_web linkpeel_test_servers)
