# Windows, 64-bit: cmake -S . -B build-win64 -G Ninja --toolchain cmake/mingw-w64-x86_64.cmake
set(LINKPEEL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
