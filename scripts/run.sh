#!/usr/bin/env bash
# Installs what is missing, builds everything and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"
echo "Built. The window is not there yet: only the text toolkit exists so far."
