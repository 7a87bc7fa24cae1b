#!/usr/bin/env bash
# Prints the text benchmarks' figures against their goals:
#   FindText within 3x memmem (mostly ASCII page) and 10x (all two-byte text);
#   TextBetween, ReplaceText, SplitText, PercentDecode: 16 MiB at most 20x 1 MiB;
#   PercentDecode with the UTF-8 step at 200 MiB/s or more, peak growth at most 4x the page.
# Times are the medians of three runs, in CPU time: the machine is shared, and
# wall time would charge other processes to ours.
# Usage: bash bench/text_figures.sh [build-dir]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target bench_text bench_text_memory >/dev/null
json=$(mktemp)
trap 'rm -f "$json"' EXIT
"$build/bench/bench_text" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_format=json >"$json" 2>/dev/null
python3 - "$json" <<'PY'
import json, sys
runs = {b["run_name"]: b for b in json.load(open(sys.argv[1]))["benchmarks"] if b.get("aggregate_name") == "median"}
def ms(name): return runs[name]["cpu_time"] * {"ms": 1, "us": 1e-3, "ns": 1e-6}[runs[name]["time_unit"]]
rows = []
def row(what, figure, goal, ok): rows.append((what, figure, goal, "ok" if ok else "MISSED"))
for page, limit in (("Ascii", 3), ("Wide", 10)):
    r = ms(f"BM_FindText_{page}") / ms(f"BM_Memmem_{page}")
    row(f"FindText / memmem, {page.lower()} 16 MiB", f"{ms(f'BM_FindText_{page}'):.2f} / {ms(f'BM_Memmem_{page}'):.2f} ms = {r:.2f}x", f"<= {limit}x", r <= limit)
for name in ("TextBetween", "ReplaceText", "SplitText", "PercentDecode", "PercentDecode_Utf8"):
    small, large = ms(f"BM_{name}/1048576"), ms(f"BM_{name}/16777216")
    row(f"{name} 16 MiB / 1 MiB", f"{large:.2f} / {small:.3f} ms = {large / small:.1f}x", "<= 20x", large / small <= 20)
rate = 16 / (ms("BM_PercentDecode_Utf8/16777216") / 1000)
row("PercentDecode + UTF-8 step, 16 MiB", f"{rate:.0f} MiB/s", ">= 200 MiB/s", rate >= 200)
width = max(len(r[0]) for r in rows)
for what, figure, goal, verdict in rows:
    print(f"{what:<{width}}  {figure:<34} {goal:<13} {verdict}")
PY
"$build/bench/bench_text_memory"
