# Sourced by the scripts that show the window program on a virtual display:
#   source scripts/xvfb.sh; start_xvfb WORK_DIR || exit 1
# starts Xvfb on a free display, exports DISPLAY (and the X11 platform for
# Qt), and sets xvfb_pid; the caller stops it (kill "$xvfb_pid") when done.
# wait_for_window and until_gone below then find the program's window and
# end it.
#
# -noreset: without it the server resets when its last client leaves, and a
# program started in that moment cannot connect.
start_xvfb() {
  local work=$1
  mkdir -p "$work"
  rm -f "$work/xvfb-display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/xvfb-display" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/xvfb-display" ] && break; sleep 0.05; done
  if [ ! -s "$work/xvfb-display" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$(cat "$work/xvfb-display")" QT_QPA_PLATFORM=xcb
  unset WAYLAND_DISPLAY
}

# wait_for_window PID NAME: waits (20 s at most) until a visible window whose
# name matches the regular expression NAME shows, and sets `window` to it.
# 1 when the process PID ends first, 2 when no such window shows in time.
wait_for_window() {
  local pid=$1 name=$2
  window=
  for _ in $(seq 400); do
    window=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -1)
    [ -n "$window" ] && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.05
  done
  return 2
}

# until_gone PID COMMAND...: runs COMMAND (an input for the window, such as
# `xdotool key Escape`) until the process PID ends, 5 s at most: a window that
# has just shown may not take input yet. 1 when it is still running.
until_gone() {
  local pid=$1
  shift
  for _ in $(seq 20); do
    "$@" 2>/dev/null
    for _ in $(seq 5); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.05; done
  done
  return 1
}
