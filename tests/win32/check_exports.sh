#!/usr/bin/env bash
# check_exports.sh OBJDUMP LIBRARY.dll NAME...: fails unless the file is a
# Windows image (it begins with "MZ") that exports exactly these names,
# undecorated (no _name, name@8 or C++ mangling), which GetProcAddress finds.
set -euo pipefail
objdump=$1 library=$2
shift 2
if [ "$(head -c 2 "$library")" != MZ ]; then
  echo "$(basename "$library"): not a Windows image (no MZ)" >&2
  exit 1
fi
exports=$("$objdump" -p "$library" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^\s*\[ *[0-9]*\] //p' | sort)
wanted=$(printf '%s\n' "$@" | sort)
echo "$(basename "$library") exports:" $exports
if [ "$exports" != "$wanted" ]; then
  echo "expected exactly:" $wanted >&2
  exit 1
fi
