#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test in each build a user
# or packager may choose:
#   build/          RelWithDebInfo, the default
#   build-asan/     Debug under AddressSanitizer and UndefinedBehaviorSanitizer
#   build-release/  Release
#   build-minsize/  MinSizeRel
# Any failure or sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
jobs=$(nproc)

# build_and_test DIR CMAKE-ARGS...
build_and_test() {
  local dir=$1
  shift
  echo "== $dir: $*"
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest --output-on-failure -j "$jobs")
}

build_and_test build -DCMAKE_BUILD_TYPE=RelWithDebInfo

(
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  build_and_test build-asan -DCMAKE_BUILD_TYPE=Debug -DLINKPEEL_SANITIZE=ON -DLINKPEEL_BENCH=OFF
)

# The optimiser decides what the linker pulls in, so the other two
# configurations are built and tested as well (benchmarks need no second run).
build_and_test build-release -DCMAKE_BUILD_TYPE=Release -DLINKPEEL_BENCH=OFF
build_and_test build-minsize -DCMAKE_BUILD_TYPE=MinSizeRel -DLINKPEEL_BENCH=OFF
