# The Windows build's tests: every test program whose subject exists on
# Windows, run under Wine (the build's emulator). Tests of the Linux stand-ins
# themselves stay in the Linux lists.
#
# Wine takes the system code page from the locale, so each program runs under
# an English locale (code page 1252) and, where code pages matter, again under
# a Chinese one (936): our text must come out the same under both.

# linkpeel_win_test(NAME SOURCES... LIBS ... [LOCALES ...])
function(linkpeel_win_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LOCALES" ${ARGN})
  if(NOT ARG_LOCALES)
    set(ARG_LOCALES en_US.UTF-8)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  # Console programs: the fatal error goes to standard error, where a death
  # test reads it.
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} linkpeel_console_messagebox
                        GTest::gtest GTest::gtest_main GTest::gmock)
  # For the few checks where Windows documents another rule than our stand-ins.
  target_compile_definitions(${name} PRIVATE LINKPEEL_TEST_ON_WINDOWS=true)
  foreach(locale ${ARG_LOCALES})
    string(REGEX REPLACE "\\..*" "" suffix ${locale})
    gtest_discover_tests(${name} TEST_SUFFIX "@${suffix}" DISCOVERY_TIMEOUT 120
                         PROPERTIES TIMEOUT 300 ENVIRONMENT "LINKPEEL_LOCALE=${locale}")
  endforeach()
endfunction()

set(both_locales en_US.UTF-8 zh_CN.UTF-8)

linkpeel_win_test(test_CodePages SOURCES test_CodePages.cpp LIBS linkpeel_platform LOCALES ${both_locales})
linkpeel_win_test(test_DataFolder SOURCES win32/test_DataFolder.cpp LIBS linkpeel_platform LOCALES ${both_locales})
linkpeel_win_test(test_Text SOURCES test_Text.cpp LIBS linkpeel_text)
linkpeel_win_test(test_Search SOURCES test_Search.cpp LIBS linkpeel_text)
linkpeel_win_test(test_Transform SOURCES test_Transform.cpp LIBS linkpeel_text)
linkpeel_win_test(test_Markers SOURCES test_Markers.cpp LIBS linkpeel_text)
linkpeel_win_test(test_PercentCodes SOURCES test_PercentCodes.cpp LIBS linkpeel_text LOCALES ${both_locales})
linkpeel_win_test(test_Url SOURCES test_Url.cpp LIBS linkpeel_web)
linkpeel_win_test(test_Cookies SOURCES test_Cookies.cpp LIBS linkpeel_web)
linkpeel_win_test(test_ShareFormats SOURCES test_ShareFormats.cpp LIBS linkpeel_resolve LOCALES ${both_locales})
linkpeel_win_test(test_SafeFileName SOURCES test_SafeFileName.cpp LIBS linkpeel_resolve)
linkpeel_win_test(test_NoLinkReason SOURCES test_NoLinkReason.cpp LIBS linkpeel_resolve)
linkpeel_win_test(test_Progress SOURCES test_Progress.cpp LIBS linkpeel_cli)

# Exchanges with the system's WinINet against the loopback server.
include(${CMAKE_CURRENT_LIST_DIR}/servers/servers.cmake)
add_library(linkpeel_wininet_testing STATIC win32/WinINetTesting.cpp)
target_include_directories(linkpeel_wininet_testing PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/win32/include)
target_link_libraries(linkpeel_wininet_testing PUBLIC linkpeel_wininet)
linkpeel_win_test(test_WebAccessLoopback SOURCES test_WebAccess.cpp
                  LIBS linkpeel_web linkpeel_wininet_testing linkpeel_test_servers)
linkpeel_win_test(test_Download SOURCES test_Download.cpp
                  LIBS linkpeel_web linkpeel_wininet_testing linkpeel_test_servers LOCALES ${both_locales})

# End to end: linkpeel-resolve.exe against the stand-in share service, in a
# private network namespace, gives what the Linux build's program gives.
set(LINKPEEL_LINUX_RESOLVE "" CACHE FILEPATH
    "The Linux build's linkpeel-resolve, which the end-to-end test compares the Windows one with")
if(LINKPEEL_LINUX_RESOLVE)
  add_test(NAME e2e_ResolveAsOnLinux
           COMMAND ${PROJECT_SOURCE_DIR}/tests/e2e/in_share_netns.sh
                   ${CMAKE_CURRENT_SOURCE_DIR}/wine/compare_resolve.sh ${LINKPEEL_LINUX_RESOLVE}
                   $<TARGET_FILE:linkpeel-resolve> ${LINKPEEL_WINE_PREFIX}-netns)
  set_tests_properties(e2e_ResolveAsOnLinux PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600 RUN_SERIAL ON)
endif()

# The programs import only libraries that come with Windows.
add_test(NAME linkpeel-resolve_imports
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/check_imports.sh ${CMAKE_OBJDUMP} $<TARGET_FILE:linkpeel-resolve>)
add_test(NAME linkpeel_imports
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/check_imports.sh ${CMAKE_OBJDUMP} $<TARGET_FILE:linkpeel>)
add_test(NAME linkpeel_resources
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/check_resources.sh ${CMAKE_OBJDUMP} $<TARGET_FILE:linkpeel>)

# The window program under Wine on a virtual display, worked from outside by
# a probe of ours through window messages; the banner's press reaches a
# stand-in opener registered in the test's prefix, never a browser.
add_executable(window_probe win32/window_probe.cpp)
add_executable(open_recorder win32/open_recorder.cpp)
target_link_libraries(window_probe PRIVATE user32 shell32)
target_link_libraries(open_recorder PRIVATE shell32)
add_test(NAME window_Linkpeel
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/window_test.sh ${LINKPEEL_WINE_PREFIX} $<TARGET_FILE:linkpeel>
                 $<TARGET_FILE:window_probe> $<TARGET_FILE:open_recorder> ${CMAKE_CURRENT_BINARY_DIR}/window)
set_tests_properties(window_Linkpeel PROPERTIES TIMEOUT 600 RUN_SERIAL ON)


# The skin engine, jedata.dll: a DLL of ours that exports SkinH_AttachEx and
# imports only system libraries, the shared palette reader, and the engine
# itself drawing a real window under Wine on a display of its own (one test:
# the windows, the display and the Wine prefix are the program's).
linkpeel_win_test(test_SkinPalette SOURCES test_SkinPalette.cpp LIBS linkpeel_skinfile)
add_test(NAME jedata_exports
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/win32/check_exports.sh ${CMAKE_OBJDUMP}
                 $<TARGET_FILE:linkpeel_skinengine> SkinH_AttachEx)
add_test(NAME jedata_imports
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/check_imports.sh ${CMAKE_OBJDUMP} $<TARGET_FILE:linkpeel_skinengine>)
add_executable(test_SkinEngineWin32 win32/test_SkinEngineWin32.cpp)
target_link_libraries(test_SkinEngineWin32 PRIVATE linkpeel_skinfile GTest::gtest GTest::gtest_main)
add_dependencies(test_SkinEngineWin32 linkpeel_skinengine linkpeel_skin_file)
target_compile_definitions(test_SkinEngineWin32 PRIVATE
  LINKPEEL_SKIN_ENGINE="Z:$<TARGET_FILE:linkpeel_skinengine>"
  LINKPEEL_SKIN_FILE="Z:${PROJECT_BINARY_DIR}/shell/skin/win8.she")
add_test(NAME test_SkinEngineWin32
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/win32/on_xvfb.sh ${LINKPEEL_WINE_PREFIX}-skin
                 $<TARGET_FILE:test_SkinEngineWin32>)
set_tests_properties(test_SkinEngineWin32 PROPERTIES TIMEOUT 300)

# End to end through the window: an address typed into 编辑框2 and 解析 pressed,
# against the stand-in share service in its private network namespace.
add_test(NAME e2e_WindowResolve
         COMMAND ${PROJECT_SOURCE_DIR}/tests/e2e/in_share_netns.sh
                 ${CMAKE_CURRENT_SOURCE_DIR}/wine/window_test.sh ${LINKPEEL_WINE_PREFIX}-window-netns
                 $<TARGET_FILE:linkpeel> $<TARGET_FILE:window_probe> $<TARGET_FILE:open_recorder>
                 ${CMAKE_CURRENT_BINARY_DIR}/window-resolve --resolve)
set_tests_properties(e2e_WindowResolve PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600 RUN_SERIAL ON)
