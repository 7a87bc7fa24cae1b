#!/usr/bin/env bash
# compare_resolve.sh LINUX_RESOLVE WINDOWS_RESOLVE.exe PREFIX: run inside
# in_share_netns.sh. Gives both programs the same addresses (arguments,
# standard input, each output format, usage errors) and fails unless the
# Windows one, under Wine with an English, a German and a Chinese locale,
# prints the same bytes, ends with the same status and sends the share service
# the same request lines as the Linux one. Standard output and error count,
# and the status (added as the output's last line).
#
# PREFIX is a Wine prefix of this namespace's own: its wineserver must start
# in here, or the program's requests would go to the host's loopback. It is
# made from the build's prefix (hard links; the registry copied) and its
# server is stopped at the end.
set -euo pipefail
linux=$1 windows=$2 prefix=$(realpath -m "$3")
here=$(cd "$(dirname "$0")" && pwd)
: "${SHARE_SERVICE_LOG:?run me through tests/e2e/in_share_netns.sh}"

"$here/copy_prefix.sh" "$prefix"
trap '"$here/wine_run.sh" "$prefix" --stop' EXIT

# The request lines the service saw during a command, one a line.
requests() { python3 -c 'import json,sys; [print(json.loads(l)["path"]) for l in open(sys.argv[1], encoding="utf-8")]' "$SHARE_SERVICE_LOG"; }

s='http://pan.baidu.com/s/'
cases=(
  "${s}1full"
  "${s}1full ${s}1bare"
  "${s}1ctl ${s}1full"
  "--json ${s}1full ${s}1bare"
  "--aria2 ${s}1full ${s}1pct"
  "${s}1full?n=中文"
  "--json ${s}1full?n=中"
  "-"
  "--help"
  "--version"
  ""
  "--bogus"
)
input=$'http://pan.baidu.com/s/1pct\nhttp://pan.baidu.com/s/1full\r\n\n'

failed=0
work=$(mktemp -d)
# Standard input comes from a file: through a pipe, a program that does not
# read it (--help) could leave the writer with SIGPIPE, and the pipe's status
# would be the writer's.
printf '%s' "$input" >"$work/input"
for locale in en_US.UTF-8 de_DE.UTF-8 zh_CN.UTF-8; do
  for c in "${cases[@]}"; do
    read -r -a args <<<"$c"
    status=0
    : >"$SHARE_SERVICE_LOG"
    "$linux" "${args[@]}" <"$work/input" >"$work/linux.out" 2>"$work/linux.err" || status=$?
    echo "$status" >>"$work/linux.out"
    requests >"$work/linux.requests"
    status=0
    : >"$SHARE_SERVICE_LOG"
    LINKPEEL_LOCALE=$locale "$here/wine_run.sh" "$prefix" "$windows" "${args[@]}" <"$work/input" \
        >"$work/windows.out" 2>"$work/windows.err" || status=$?
    echo "$status" >>"$work/windows.out"
    requests >"$work/windows.requests"
    for part in out err requests; do
      if ! cmp -s "$work/linux.$part" "$work/windows.$part"; then
        echo "FAILED ($locale) linkpeel-resolve $c: the $part differ (first Linux, then Windows)" >&2
        diff <(od -c "$work/linux.$part") <(od -c "$work/windows.$part") | head -20 >&2 || true
        failed=1
      fi
    done
    echo "compared ($locale): linkpeel-resolve $c"
  done
done
rm -rf "$work"
exit "$failed"
