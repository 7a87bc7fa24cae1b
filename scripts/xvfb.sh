# Sourced by the scripts that show the window program on a virtual display:
#   source scripts/xvfb.sh; start_xvfb WORK_DIR || exit 1
# starts Xvfb on a free display, exports DISPLAY (and the X11 platform for
# Qt), and sets xvfb_pid; the caller stops it (kill "$xvfb_pid") when done.
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
