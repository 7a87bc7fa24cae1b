#!/usr/bin/env bash
# Whole-process start-up of the window program against a bare Qt program:
# from the start to the window mapped, then Esc (sent by bench/shell_escape,
# the same way to both) and the end of the process. On a virtual display
# (Xvfb) of its own. Goal: Linkpeel takes at most 1.3 times the bare program.
# usage: bench/shell_startup.sh [build dir]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target linkpeel shell_bare shell_escape >/dev/null

out="$build/bench"
mkdir -p "$out"
source scripts/xvfb.sh
start_xvfb "$out"
trap 'kill $xvfb_pid 2>/dev/null' EXIT
export XDG_RUNTIME_DIR="$out/runtime"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"

hyperfine -N --warmup 5 --runs "${RUNS:-40}" \
  -n linkpeel "$build/bench/shell_escape $build/shell/linkpeel" \
  -n bare-qt "$build/bench/shell_escape $build/bench/shell_bare" \
  --export-json "$out/shell_startup.json" --export-markdown "$out/shell_startup.md"

python3 - "$out/shell_startup.json" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
ours, bare = results["linkpeel"]["mean"], results["bare-qt"]["mean"]
print(f"linkpeel {ours*1000:.1f} ms, bare Qt {bare*1000:.1f} ms: {ours/bare:.2f} times the bare program (goal: at most 1.3)")
# On a busy machine the wall time mostly measures the others' load; the CPU
# time the two spend (shell_escape's few milliseconds included) wavers less.
cpu = {name: r["user"] + r["system"] for name, r in results.items()}
print(f"CPU time (user+system): linkpeel {cpu['linkpeel']*1000:.1f} ms, bare Qt {cpu['bare-qt']*1000:.1f} ms: "
      f"{cpu['linkpeel']/cpu['bare-qt']:.2f} times")
PY
