#!/usr/bin/env bash
# install_deb.sh PACKAGE.deb VERSION WORK: installs the package on this machine
# for real and removes it again:
#   - dpkg -i takes it (its Depends are met);
#   - the installed /usr/bin/linkpeel-resolve names the version, and the
#     installed /usr/bin/linkpeel shows its window on a virtual display and
#     ends with 0 on Esc;
#   - dpkg -r, then --purge, leave none of its files, nor a folder it made.
# Skipped (77) without root, or when a package named linkpeel is on the
# machine already: it is not ours to replace or remove. Whatever happens, the
# package does not stay installed.
set -uo pipefail
deb=$(realpath "$1") version=$2 work=$3
fail() { echo "FAIL: $*" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "skipped: installing a package needs root"; exit 77; }
state=$(dpkg-query -W -f='${db:Status-Status}' linkpeel 2>/dev/null)
if [ -n "$state" ] && [ "$state" != not-installed ]; then
  echo "skipped: a package named linkpeel is on this machine already ($state)"
  exit 77
fi
rm -rf "$work"
mkdir -p "$work"

# What the package holds, and which of those paths were here before it
# (shared folders such as /usr/bin): the others must be gone at the end.
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's|^\./|/|' -e 's|/$||' | grep -v '^/\?$' >"$work/contents"
while read -r path; do
  [ -e "$path" ] && echo "$path"
done <"$work/contents" >"$work/before"

source "$(dirname "$0")/../../scripts/xvfb.sh"
pid='' xvfb_pid=''
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  if [ "$(dpkg-query -W -f='${db:Status-Status}' linkpeel 2>/dev/null)" != not-installed ]; then
    dpkg --purge linkpeel >/dev/null 2>&1 || echo "could not purge linkpeel" >&2
  fi
}
trap cleanup EXIT

dpkg -i "$deb" >"$work/dpkg-i.log" 2>&1 || fail "dpkg -i: $(cat "$work/dpkg-i.log")"
dpkg -L linkpeel >"$work/listed"
grep -qx /usr/bin/linkpeel "$work/listed" && grep -qx /usr/bin/linkpeel-resolve "$work/listed" ||
  fail "dpkg -L does not list both programs"

got=$(/usr/bin/linkpeel-resolve --version) || fail "linkpeel-resolve --version ended with $?"
[ "$got" = "linkpeel-resolve $version" ] || fail "linkpeel-resolve --version printed '$got'"

# The window, from the installed program, with a data folder of the test's own.
start_xvfb "$work" || fail "Xvfb did not start"
XDG_DATA_HOME=$work/data /usr/bin/linkpeel 2>"$work/stderr" &
pid=$!
wait_for_window "$pid" '^Linkpeel - '
case $? in
  1) fail "the installed linkpeel ended before its window showed: $(cat "$work/stderr")" ;;
  2) fail "the installed linkpeel showed no window" ;;
esac
until_gone "$pid" xdotool windowfocus --sync "$window" key Escape ||
  fail "the installed linkpeel did not end on Esc"
wait "$pid"
code=$?
pid=
[ "$code" -eq 0 ] || fail "the installed linkpeel ended with $code: $(cat "$work/stderr")"

dpkg -r linkpeel >"$work/dpkg-r.log" 2>&1 || fail "dpkg -r: $(cat "$work/dpkg-r.log")"
dpkg --purge linkpeel >"$work/dpkg-purge.log" 2>&1 || fail "dpkg --purge: $(cat "$work/dpkg-purge.log")"
left=()
while read -r path; do
  grep -qxF "$path" "$work/before" && continue
  [ -e "$path" ] || [ -L "$path" ] && left+=("$path")
done <"$work/listed"
((${#left[@]} == 0)) || fail "left behind: ${left[*]}"
echo "ok: installed, ran, removed ($(wc -l <"$work/listed") paths)"
