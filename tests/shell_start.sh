#!/usr/bin/env bash
# The real window program on a virtual display (Xvfb):
#   - it shows its window, centred and of its fixed size; a screenshot is kept;
#   - Esc ends it with 0, and so does the Exit button (按钮3);
#   - with no display to reach, it ends with the fatal error and 255.
# usage: shell_start.sh <linkpeel> <work dir>
set -uo pipefail
program=$1
work=$2
mkdir -p "$work"
title='Linkpeel - Selvo (www.example.com)'
fail() { echo "FAIL: $*" >&2; exit 1; }

source "$(dirname "$0")/../scripts/xvfb.sh"
start_xvfb "$work" || fail "Xvfb did not start"
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; kill "$xvfb_pid" 2>/dev/null; wait 2>/dev/null' EXIT
# The program installs its skin into the user's data folder (drive C): the
# test's own, not the home of whoever runs it.
export XDG_DATA_HOME="$work/data"
rm -rf "$XDG_DATA_HOME"

start() {
  "$program" 2>"$work/stderr" &
  pid=$!
  wait_for_window "$pid" "^${title//(/\\(}$"
  case $? in
    1) fail "the program ended before its window showed: $(cat "$work/stderr")" ;;
    2) fail "no window named '$title'" ;;
  esac
}

finish() {  # waits (10 s at most) for the program and checks its exit code
  for _ in $(seq 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
  kill -0 "$pid" 2>/dev/null && fail "$1: still running"
  wait "$pid"
  local code=$?
  pid=
  [ "$code" -eq "$2" ] || fail "$1: exit code $code, not $2; stderr: $(cat "$work/stderr")"
}

# Shown centred, at its fixed size; the banner is at the top.
start
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" = 444 ] && [ "$HEIGHT" = 354 ] || fail "window is ${WIDTH}x${HEIGHT}"
[ "$X" = $(((1024 - 450) / 2)) ] && [ "$Y" = $(((768 - 379) / 2)) ] || fail "window at $X,$Y"
# The first paint may land a little after the window shows, more so on a busy
# machine: the picture is taken again until the banner is in it (5 s at most).
for _ in $(seq 25); do
  import -window root "$work/screenshot.png" || fail "no screenshot"
  blue=$(convert "$work/screenshot.png" -format '%[fx:int(255*p{'$((X + 430))','$((Y + 10))'}.b)]' info:)
  [ "$blue" -gt 120 ] && break
  sleep 0.2
done
[ "$blue" -gt 120 ] || fail "no banner at the window's top (blue $blue)"
echo "screenshot: $work/screenshot.png"

until_gone "$pid" xdotool windowfocus --sync "$window" key Escape
finish "Esc" 0

# The Exit button, 按钮3 at 341,328 (96 x 20).
start
until_gone "$pid" xdotool mousemove --window "$window" 389 338 click 1
finish "Exit button" 0

# No display to reach: the window cannot be loaded.
DISPLAY=:65000 "$program" 2>"$work/stderr" &
pid=$!
finish "no display" 255
grep -q '载入启动窗口失败' "$work/stderr" || fail "no fatal error on stderr: $(cat "$work/stderr")"
grep -q '错误' "$work/stderr" || fail "no caption on stderr"
echo "ok"
