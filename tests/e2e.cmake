# End-to-end tests: whole pipelines against the stand-in share service, each test
# program run inside its own private network namespace (skipped, status 77,
# where one cannot be made).
set(LINKPEEL_NETNS ${CMAKE_CURRENT_LIST_DIR}/e2e/in_share_netns.sh)

function(linkpeel_e2e_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main nlohmann_json::nlohmann_json)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  add_test(NAME ${name} COMMAND ${LINKPEEL_NETNS} $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300 RUN_SERIAL ON)
endfunction()

find_package(nlohmann_json REQUIRED)
linkpeel_e2e_test(test_Resolve SOURCES test_Resolve.cpp LIBS linkpeel_resolve)
target_compile_definitions(test_Resolve PRIVATE LINKPEEL_RESOLVE_PATH="$<TARGET_FILE:linkpeel-resolve>")
add_dependencies(test_Resolve linkpeel-resolve)

# The same pipeline through the window, offscreen.
add_executable(test_ResolveShareLink test_ResolveShareLink.cpp QtTestMain.cpp)
target_link_libraries(test_ResolveShareLink PRIVATE linkpeel_shell Qt6::Test GTest::gtest nlohmann_json::nlohmann_json)
target_include_directories(test_ResolveShareLink PRIVATE ${PROJECT_SOURCE_DIR})
if(LINKPEEL_SANITIZE)
  target_compile_definitions(test_ResolveShareLink PRIVATE
                             LINKPEEL_LSAN_SUPPRESSIONS="${CMAKE_CURRENT_LIST_DIR}/lsan_shell.supp")
endif()
add_test(NAME test_ResolveShareLink COMMAND ${LINKPEEL_NETNS} $<TARGET_FILE:test_ResolveShareLink>)
set_tests_properties(test_ResolveShareLink PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300 RUN_SERIAL ON)

# --aria2 and --download of the same program, with the real aria2c.
linkpeel_e2e_test(test_CliDownload SOURCES test_CliDownload.cpp LIBS)
target_compile_definitions(test_CliDownload PRIVATE LINKPEEL_RESOLVE_PATH="$<TARGET_FILE:linkpeel-resolve>")
add_dependencies(test_CliDownload linkpeel-resolve)
