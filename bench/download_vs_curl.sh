#!/usr/bin/env bash
# Whole-process benchmark: linkpeel-resolve --download against the curl tool
# writing the same file in the same run, a 1 GiB file from the stand-in
# service's file host on loopback, in a private network namespace. Prints the
# wall time and peak memory (maximum resident set) of each run and their
# medians.
#
#   bench/download_vs_curl.sh [BUILD_DIR] [MIB]      (defaults: build, 1024)
#
# Needs root (for the namespace) and GNU time. Goals: at most 1.2 times
# curl's time, peak memory under 32 MiB whatever the file's size.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
mib=${2:-1024}
resolver="$build/cli/linkpeel-resolve"
[ -x "$resolver" ] || { echo "build linkpeel-resolve first ($resolver)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "needs GNU time (/usr/bin/time)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export RESOLVER="$resolver" WORK="$work" SIZE=$((mib * 1024 * 1024))

"$root/tests/e2e/in_share_netns.sh" bash -euo pipefail -c '
  share="http://pan.baidu.com/s/1file-$SIZE-62656e63682e62696e"   # bench.bin
  # The link and the headers it needs, as aria2 would be given them.
  "$RESOLVER" --aria2 "$share" > "$WORK/entry"
  link=$(head -n 1 "$WORK/entry")
  agent=$(sed -n "s/^  header=User-Agent: //p" "$WORK/entry")
  for round in 1 2 3 4 5; do
    rm -f "$WORK"/*.bin
    /usr/bin/time -f "curl              %e s  %M KiB" \
      curl -s -o "$WORK/curl.bin" -A "$agent" -e "$link" "$link" 2>> "$WORK/figures"
    /usr/bin/time -f "linkpeel-resolve  %e s  %M KiB" \
      "$RESOLVER" --download --output-dir "$WORK" "$share" > /dev/null 2>> "$WORK/figures.raw"
    grep -v "^linkpeel-resolve: saved" "$WORK/figures.raw" >> "$WORK/figures"; : > "$WORK/figures.raw"
    cmp -s "$WORK/curl.bin" "$WORK/bench.bin" || { echo "the two files differ" >&2; exit 1; }
  done
  cat "$WORK/figures"
  for tool in curl linkpeel-resolve; do
    grep "^$tool " "$WORK/figures" | sort -k2 -n | sed -n 3p | sed "s/^/median: /"
  done
'
