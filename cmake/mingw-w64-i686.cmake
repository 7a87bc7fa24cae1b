# Windows, 32-bit: cmake -S . -B build-win32 -G Ninja --toolchain cmake/mingw-w64-i686.cmake
# Built only: these machines' kernels run no 32-bit code, so Wine cannot run it.
set(LINKPEEL_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
