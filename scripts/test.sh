#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test twice: a plain build
# (build/) and one under AddressSanitizer and UndefinedBehaviorSanitizer
# (build-asan/). Any failure or sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLINKPEEL_SANITIZE=ON -DLINKPEEL_BENCH=OFF
cmake --build build-asan -j "$jobs"
(cd build-asan && ctest --output-on-failure -j "$jobs")
