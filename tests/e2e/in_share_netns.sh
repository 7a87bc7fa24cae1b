#!/usr/bin/env bash
# Runs a command in a private network namespace where the share service's
# host name reaches a stand-in service on 127.0.0.1:80, and its file host's
# name the stand-in's file host on 127.0.0.2:80, then tears it all down. The
# mount namespace is private too: what the command mounts vanishes with it.
#
#   in_share_netns.sh [--big-page-mib N] COMMAND [ARG...]
#
# The command sees SHARE_SERVICE_LOG, the file where the service records every
# request it gets (one JSON object a line). Exit status: the command's, or 77
# (skipped) where namespaces cannot be made (not root, no unshare).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

big=1
if [ "${1:-}" = "--big-page-mib" ]; then big=$2; shift 2; fi

if [ "$(id -u)" -ne 0 ] || ! command -v unshare >/dev/null || ! unshare -n -m true 2>/dev/null; then
  echo "skipped: needs root and unshare for a private network namespace" >&2
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '127.0.0.1 localhost\n127.0.0.1 pan.baidu.com\n127.0.0.2 d.pcs.baidu.com\n' > "$work/hosts"
: > "$work/requests.jsonl"

export SHARE_SERVICE_LOG="$work/requests.jsonl" SHARE_SERVICE_DIR="$here" BIG_PAGE_MIB="$big" HOSTS_FILE="$work/hosts"
unshare -n -m bash -euo pipefail -c '
  ip link set lo up
  mount --bind "$HOSTS_FILE" /etc/hosts
  python3 "$SHARE_SERVICE_DIR/share_service.py" --port 80 --log "$SHARE_SERVICE_LOG" \
      --big-page-mib "$BIG_PAGE_MIB" --file-address 127.0.0.2 > "$SHARE_SERVICE_LOG.ready" 2>&1 &
  service=$!
  trap "kill $service 2>/dev/null; wait $service 2>/dev/null || true" EXIT
  for _ in $(seq 100); do grep -q ready "$SHARE_SERVICE_LOG.ready" && break; sleep 0.05; done
  grep -q ready "$SHARE_SERVICE_LOG.ready" || { cat "$SHARE_SERVICE_LOG.ready" >&2; exit 1; }
  "$@"
' in_share_netns "$@"
