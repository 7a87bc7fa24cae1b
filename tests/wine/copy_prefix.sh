#!/usr/bin/env bash
# copy_prefix.sh PREFIX: makes the Wine prefix PREFIX, when it has none yet,
# from the build's own prefix beside it (PREFIX's folder/wine): its files as
# hard links, its registry and locales copied. A test that runs Wine inside a
# network namespace needs a prefix of its own, whose server starts in there;
# copying the made one spares it a whole first boot. Without a build prefix to
# copy, nothing is done and wine_run.sh makes PREFIX from scratch.
set -euo pipefail
prefix=$(realpath -m "$1")
template=$(dirname "$prefix")/wine
[ -f "$prefix/system.reg" ] && exit 0
[ -f "$template/system.reg" ] || exit 0
mkdir -p "$prefix"
cp -al "$template/drive_c" "$template/dosdevices" "$prefix/"
cp "$template"/*.reg "$prefix/"
if [ -d "$template/locales" ]; then cp -al "$template/locales" "$prefix/"; fi
