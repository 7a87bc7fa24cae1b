#!/usr/bin/env bash
# Whole-process benchmark: linkpeel-resolve against a shell pipeline that makes
# the same two exchanges with the curl command-line tool and sed, both against
# the stand-in share service in a private network namespace.
#
#   bench/resolve_vs_curl.sh [BUILD_DIR]      (default: build)
#
# Needs root (for the namespace) and hyperfine. Goal: linkpeel-resolve takes
# at most the pipeline's wall time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
resolver="$build/cli/linkpeel-resolve"
[ -x "$resolver" ] || { echo "build linkpeel-resolve first ($resolver)" >&2; exit 1; }

pipeline=$(mktemp)
trap 'rm -f "$pipeline"' EXIT
cat > "$pipeline" <<'SH'
#!/usr/bin/env bash
set -eu
jar=$(mktemp); trap 'rm -f "$jar"' EXIT
page=$(curl -s -c "$jar" "$1")
cut() { printf '%s' "$page" | sed -n "s/.*$1\"\\([^\"]*\\)\".*/\\1/p" | head -n 1; }
uk=$(cut share_uk=); shareid=$(cut share_id=); timestamp=$(cut share_timestamp=)
sign=$(cut share_sign=); fsid=$(cut fsId=)
address="http://pan.baidu.com/share/download?channel=chunlei&clienttype=0&web=1&uk=$uk&shareid=$shareid&timestamp=$timestamp&sign=$sign&bdstoken=null"
curl -s -b "$jar" -e "$address" -H 'Content-Type: application/x-www-form-urlencoded' \
     --data "fid_list=%5B%22$fsid%22%5D" "$address" |
  sed -n 's/.*"dlink":"\([^"]*\)".*/\1/p' | sed 's/\\\//\//g'
SH
chmod +x "$pipeline"

"$root/tests/e2e/in_share_netns.sh" bash -c "
  echo 'linkpeel-resolve: ' \$('$resolver' http://pan.baidu.com/s/1full)
  echo 'curl + sed:       ' \$('$pipeline' http://pan.baidu.com/s/1full)
  hyperfine -N --warmup 5 --runs 100 --export-markdown /dev/stdout \
    -n linkpeel-resolve '$resolver http://pan.baidu.com/s/1full' \
    -n 'curl + sed' '$pipeline http://pan.baidu.com/s/1full'
"
