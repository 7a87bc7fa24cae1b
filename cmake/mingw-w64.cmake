# Shared by the two Windows toolchains: mingw-w64's POSIX-threads compilers
# (std::thread), static C and C++ runtimes, and Wine to run what is built.
# Expects LINKPEEL_MINGW_TRIPLE (x86_64-w64-mingw32 or i686-w64-mingw32).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${LINKPEEL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LINKPEEL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${LINKPEEL_MINGW_TRIPLE}-windres)

# Only the cross toolchain's own folders: the host's /usr/include (and its
# nlohmann-json, GoogleTest, ...) must never reach the Windows compiler.
set(CMAKE_FIND_ROOT_PATH /usr/${LINKPEEL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No libstdc++-6.dll, libgcc_s or libwinpthread-1.dll beside the programs and
# the libraries we build: they import system libraries only.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

