#!/usr/bin/env bash
# on_xvfb.sh PREFIX PROGRAM.exe ARGS...: runs a Windows program that shows
# windows under Wine (wine_run.sh) on an Xvfb display of its own, in a Wine
# prefix of its own: the prefix's desktop belongs to that display, so its
# server is stopped with the display, pass or fail.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
prefix=$(realpath -m "$1")
shift

source "$root/scripts/xvfb.sh"
start_xvfb "$prefix-xvfb" || exit 1
trap '"$root/tests/wine/wine_run.sh" "$prefix" --stop; kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null' EXIT
LINKPEEL_WINE_DISPLAY=$DISPLAY "$root/tests/wine/wine_run.sh" "$prefix" "$@"
