#!/usr/bin/env bash
# Installs what is missing, builds the window program and starts it. With no
# display to show it on, it starts it on a virtual display (Xvfb) instead,
# saves a screenshot of it, says where, and closes it again with Esc.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target linkpeel

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/shell/linkpeel
fi

echo "No display: starting Linkpeel on a virtual display (Xvfb)."
shot="$PWD/build/screenshot.png"
source scripts/xvfb.sh
start_xvfb build
program=
trap '[ -n "$program" ] && kill "$program" 2>/dev/null; kill "$xvfb_pid" 2>/dev/null' EXIT

build/shell/linkpeel &
program=$!
shown=0
wait_for_window "$program" '^Linkpeel - ' || shown=$?
case $shown in
  1) wait "$program" || true; program=; echo "Linkpeel ended before its window showed." >&2; exit 1 ;;
  2) echo "Linkpeel's window did not show." >&2; exit 1 ;;
esac
sleep 0.5  # the first paint
import -window root "$shot"
echo "Screenshot of the window: $shot"

xdotool windowfocus --sync "$window" key Escape
status=0
wait "$program" || status=$?
program=
echo "Closed with Esc; Linkpeel ended with exit code $status."
