#!/usr/bin/env bash
# check_imports.sh OBJDUMP PROGRAM.exe: prints the DLLs a Windows program
# imports and its size, and fails when it imports anything but libraries that
# come with Windows (a MinGW runtime DLL such as libstdc++-6.dll or
# libwinpthread-1.dll would have to travel with the program).
set -euo pipefail
objdump=$1 program=$2
system='^(kernel32|msvcrt|shell32|wininet|user32|gdi32|advapi32|ws2_32|ole32|oleaut32|windowscodecs|comctl32|shlwapi)\.dll$'
dlls=$("$objdump" -p "$program" | sed -n 's/^\s*DLL Name: //p')
echo "$(basename "$program"): $(stat -c %s "$program") bytes, imports:" $dlls
status=0
for dll in $dlls; do
  if ! [[ ${dll,,} =~ $system ]]; then
    echo "not a system library: $dll" >&2
    status=1
  fi
done
exit "$status"
