#!/usr/bin/env bash
# check_resources.sh OBJDUMP PROGRAM.exe: fails unless the program carries an
# icon (a group icon resource, which Explorer, the Start menu and the window's
# title bar show) and a version resource (Explorer's properties).
set -euo pipefail
objdump=$1 program=$2
# The resource directory's first level lists the resource types, by id.
types=$("$objdump" -p "$program" | sed -n 's/^[0-9a-f]\{3\}   Entry: ID: 0x0*\([0-9a-f]*\),.*/\1/p')
echo "$(basename "$program"): resource types:" $types
status=0
for want in e:icon 10:version; do
  grep -qx "${want%%:*}" <<<"$types" || { echo "no ${want#*:} resource" >&2; status=1; }
done
exit "$status"
