#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test in each build a user
# or packager may choose:
#   build/          RelWithDebInfo, the default
#   build-asan/     Debug under AddressSanitizer and UndefinedBehaviorSanitizer
#   build-release/  Release
#   build-minsize/  MinSizeRel
#   build-win64/    Windows, 64-bit (mingw-w64), Release: its tests under Wine
#   build-win32/    Windows, 32-bit, Release: built only (no 32-bit code runs here)
# Any failure or sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
jobs=$(nproc)

# build_and_test DIR CMAKE-ARGS...; ctest also takes what ctest_extra holds.
ctest_extra=()
build_and_test() {
  local dir=$1
  shift
  echo "== $dir: $*"
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest --output-on-failure -j "$jobs" "${ctest_extra[@]}")
}

build_and_test build -DCMAKE_BUILD_TYPE=RelWithDebInfo

(
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  build_and_test build-asan -DCMAKE_BUILD_TYPE=Debug -DLINKPEEL_SANITIZE=ON -DLINKPEEL_BENCH=OFF
)

# The optimiser decides what the linker pulls in, so the other two
# configurations are built and tested as well (benchmarks need no second run).
# The packages are made from the Release builds: their tests make, check,
# install and remove them.
build_and_test build-release -DCMAKE_BUILD_TYPE=Release -DLINKPEEL_BENCH=OFF -DLINKPEEL_PACKAGE_TESTS=ON
build_and_test build-minsize -DCMAKE_BUILD_TYPE=MinSizeRel -DLINKPEEL_BENCH=OFF

# Windows. The end-to-end test compares the program with build/'s; Wine's
# server for the build's prefix is stopped at the end, pass or fail.
#
# Once in many runs a program under Wine ends before its first output (seen
# once, on a test that passes every other time; not reproduced). A Windows
# test that fails is run a second time: its first output stays in the log
# above the second start, and a fault of ours fails both.
(
  trap 'tests/wine/wine_run.sh build-win64/wine --stop' EXIT
  ctest_extra=(--repeat until-pass:2)
  build_and_test build-win64 --toolchain cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DLINKPEEL_LINUX_RESOLVE="$PWD/build/cli/linkpeel-resolve" -DLINKPEEL_PACKAGE_TESTS=ON
)
echo "== build-win32: built only"
cmake -S . -B build-win32 -G Ninja --toolchain cmake/mingw-w64-i686.cmake -DCMAKE_BUILD_TYPE=Release \
  -DLINKPEEL_TESTS=OFF >/dev/null
cmake --build build-win32 -j "$jobs"
tests/wine/check_imports.sh i686-w64-mingw32-objdump build-win32/cli/linkpeel-resolve.exe
tests/wine/check_imports.sh i686-w64-mingw32-objdump build-win32/shell/linkpeel.exe
