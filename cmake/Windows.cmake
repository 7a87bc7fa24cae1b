# What the Windows build takes from the host, kept apart from the host's own
# headers and libraries: GoogleTest built from Debian's sources with the cross
# compiler, nlohmann-json's headers copied into the build, and the settings
# that every Windows object shares.

# <windows.h> defines macros that collide with our names (max, min, and the
# A/W pairs such as FindText and ReplaceText, which LEAN_AND_MEAN leaves out
# with the rest of commdlg). Settled here once, for all code.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)

# Test programs run under Wine: a prefix of this build's own, so two builds
# (or a build and the user's Wine) never share a wineserver.
set(LINKPEEL_WINE_PREFIX ${PROJECT_BINARY_DIR}/wine)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tests/wine/wine_run.sh ${LINKPEEL_WINE_PREFIX})

if(LINKPEEL_TESTS)
  set(LINKPEEL_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources (Debian's googletest package)")
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${LINKPEEL_GTEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)  # GTest::gtest, GTest::gmock, ...
endif()

# nlohmann-json is headers only: its folder alone is copied, so the cross
# compiler is never pointed at /usr/include.
set(LINKPEEL_NLOHMANN_SOURCE /usr/include/nlohmann CACHE PATH "nlohmann-json's headers (Debian's nlohmann-json3-dev)")
file(COPY ${LINKPEEL_NLOHMANN_SOURCE} DESTINATION ${PROJECT_BINARY_DIR}/third_party/include)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${PROJECT_BINARY_DIR}/third_party/include)
set(nlohmann_json_FOUND TRUE)
