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
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  foreach(locale ${ARG_LOCALES})
    string(REGEX REPLACE "\\..*" "" suffix ${locale})
    gtest_discover_tests(${name} TEST_SUFFIX "@${suffix}" DISCOVERY_TIMEOUT 120
                         PROPERTIES TIMEOUT 300 ENVIRONMENT "LINKPEEL_LOCALE=${locale}")
  endforeach()
endfunction()

set(both_locales en_US.UTF-8 zh_CN.UTF-8)

linkpeel_win_test(test_CodePages SOURCES test_CodePages.cpp LIBS linkpeel_platform LOCALES ${both_locales})
target_compile_definitions(test_CodePages PRIVATE LINKPEEL_STAND_IN=false)
linkpeel_win_test(test_Text SOURCES test_Text.cpp LIBS linkpeel_text)
linkpeel_win_test(test_Search SOURCES test_Search.cpp LIBS linkpeel_text)
linkpeel_win_test(test_Transform SOURCES test_Transform.cpp LIBS linkpeel_text)
linkpeel_win_test(test_Markers SOURCES test_Markers.cpp LIBS linkpeel_text)
linkpeel_win_test(test_PercentCodes SOURCES test_PercentCodes.cpp LIBS linkpeel_text LOCALES ${both_locales})
