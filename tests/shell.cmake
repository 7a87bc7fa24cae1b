# The window program's tests. Those that need the window toolkit run under
# Qt's offscreen platform with a main() of their own (QtTestMain.cpp).

set(shell_lsan_suppressions ${CMAKE_CURRENT_SOURCE_DIR}/lsan_shell.supp)

function(linkpeel_qt_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  add_executable(${name} ${ARG_SOURCES} QtTestMain.cpp)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} linkpeel_platform_gui Qt6::Test GTest::gtest GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  if(LINKPEEL_SANITIZE)
    target_compile_definitions(${name} PRIVATE LINKPEEL_LSAN_SUPPRESSIONS="${shell_lsan_suppressions}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT ${ARG_TIMEOUT})
endfunction()

linkpeel_test(test_ShellExecute SOURCES test_ShellExecute.cpp LIBS linkpeel_platform)
linkpeel_qt_test(test_MessageBoxQt SOURCES test_MessageBoxQt.cpp LIBS linkpeel_shell)
linkpeel_qt_test(test_Banner SOURCES test_Banner.cpp LIBS linkpeel_shell)
linkpeel_qt_test(test_ControlText SOURCES test_ControlText.cpp LIBS linkpeel_shell)
# One case writes a 10 MiB link, which takes the sanitizer build most of a minute.
linkpeel_qt_test(test_MainWindow SOURCES test_MainWindow.cpp LIBS linkpeel_shell TIMEOUT 300)

# The real program on a virtual display: a screenshot, Esc and the Exit
# button end it with 0; with no display to reach it ends with the fatal error.
add_test(NAME shell_StartProgram
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/shell_start.sh $<TARGET_FILE:linkpeel>
                 ${CMAKE_CURRENT_BINARY_DIR}/shell_start)
set_tests_properties(shell_StartProgram PROPERTIES TIMEOUT 120
                     ENVIRONMENT "LSAN_OPTIONS=suppressions=${shell_lsan_suppressions}")
