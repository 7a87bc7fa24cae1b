#!/usr/bin/env bash
# Figures for the web access routine against a loopback server:
#   1. GET of a 256 MiB body: WebAccess next to the curl tool writing to
#      /dev/null (hyperfine), and WebAccess's peak memory against the body.
#   2. 10,000 small GETs in a row: WebAccess next to plain libcurl with a
#      fresh handle per request.
# Usage: bench/web_bench.sh [build-dir]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target web_bench >/dev/null
bench="$build/bench/web_bench"

coproc SERVER { "$bench" serve; }
read -r port <&"${SERVER[0]}"
trap 'exec {SERVER[1]}>&-; wait' EXIT
big="http://127.0.0.1:$port/big"
small="http://127.0.0.1:$port/small"

echo "== 256 MiB body"
"$bench" fetch "$big"
"$bench" fetch "http://127.0.0.1:$port/unannounced"
hyperfine --warmup 1 --runs 5 -N \
  "$bench fetch $big" \
  "curl -s -o /dev/null $big"

echo "== 10,000 small GETs"
hyperfine --warmup 1 --runs 3 -N \
  "$bench loop 10000 $small" \
  "$bench curlloop 10000 $small"
