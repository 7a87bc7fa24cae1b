#!/usr/bin/env bash
# wine_run.sh PREFIX PROGRAM.exe ARGS...: runs a Windows program under Wine in
# the Wine prefix PREFIX (one per build folder, made on first use), for ctest
# and for the scripts. Wine's own chatter stays out of the program's output.
#
# Wine leaves background processes behind (wineserver, and the services that
# wineboot starts) that keep inherited pipes open: a caller that reads the
# program's output to its end would wait for them. They are started here on
# their own, with their output sent to /dev/null, before the program runs.
# The server stops by itself 30 s after the last program; `wine_run.sh PREFIX
# --stop` stops it at once.
#
# LINKPEEL_LOCALE (for example zh_CN.UTF-8) runs the program under that
# locale, made with localedef in PREFIX's folder (the machine's locales are not
# touched); Wine takes its system code page from it.
set -euo pipefail
# A step of ours that fails says so: the test around it shows no other output.
trap 'echo "wine_run.sh: line $LINENO failed with status $?" >&2' ERR

prefix=$(realpath -m "$1")
shift
# Without winemenubuilder, a shortcut or file type made inside the prefix stays
# there instead of becoming a menu entry on the desktop of whoever runs it.
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
  WINEARCH=win64
# No window: the programs run on the console, unless LINKPEEL_WINE_DISPLAY
# names an X display for them (tests/win32/on_xvfb.sh).
unset DISPLAY WAYLAND_DISPLAY
if [ -n "${LINKPEEL_WINE_DISPLAY:-}" ]; then
  export DISPLAY=$LINKPEEL_WINE_DISPLAY
fi

if [ "${1:-}" = --stop ]; then
  [ -d "$prefix" ] && wineserver -k >/dev/null 2>&1 </dev/null || true
  exit 0
fi

mkdir -p "$prefix"
run_locale=()
if [ -n "${LINKPEEL_LOCALE:-}" ]; then
  locales="$prefix/locales"
  name=$LINKPEEL_LOCALE
  (
    flock 9
    if [ ! -d "$locales/$name" ]; then
      mkdir -p "$locales"
      # zh_CN.UTF-8 => zh_CN with the charmap UTF-8
      localedef -c -i "${name%%.*}" -f "${name#*.}" "$locales/$name" >/dev/null 2>&1 9>&- || true
    fi
  ) 9>"$prefix/locales.lock"
  # Set for Wine alone (this shell would try to load the locale itself).
  run_locale=(env "LOCPATH=$locales" "LANG=$name" "LC_ALL=$name")
fi

(
  flock 9
  # 0: a server of ours has just started; 2: one runs already, with its
  # background processes (the first start makes the prefix, later ones start
  # the services that the program would otherwise start, with its output).
  # (Nor may they inherit the lock: 9>&-.)
  status=0
  wineserver -p30 >/dev/null 2>&1 </dev/null 9>&- || status=$?
  if [ "$status" -eq 0 ]; then
    wineboot >/dev/null 2>&1 </dev/null 9>&-
  fi
) 9>"$prefix/boot.lock"

exec "${run_locale[@]}" wine "$@"
