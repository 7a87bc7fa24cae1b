#!/usr/bin/env bash
# install_windows.sh SETUP.exe PACKAGE.zip VERSION "PROGRAMS" WORK: the Windows
# packages, the installer run for real under Wine in a fresh prefix of WORK's:
#   - the zip holds the programs (PROGRAMS, without .exe), README.md and
#     COPYRIGHT.txt in one folder, linkpeel-VERSION-win64, the programs
#     x86_64 ones;
#   - the installer asks for no administrator rights (its manifest runs it as
#     the invoker: Wine has no UAC to show it otherwise);
#   - the silent install (/S) puts them into
#     %LOCALAPPDATA%\Programs\Linkpeel with the icon and the uninstaller, makes
#     the Start-menu entry and registers the uninstaller for the Apps list;
#   - the installed linkpeel-resolve.exe names the version;
#   - the registered silent uninstall removes every file the install put down,
#     the folder, the entry and the key, and the two files the window program
#     writes at its start into %LOCALAPPDATA%\Linkpeel, while a file of the
#     user's there stays;
#   - nothing reaches the desktop of the machine Wine runs on.
set -uo pipefail
installer=$(realpath "$1") zip=$2 version=$3 work=$5
read -ra programs <<<"$4"
wine_run=$(realpath "$(dirname "$0")/../../tests/wine/wine_run.sh")
fail() { echo "FAIL: $*" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work"

folder=linkpeel-$version-win64
expected=("$folder/" "$folder/README.md" "$folder/COPYRIGHT.txt")
for program in "${programs[@]}"; do expected+=("$folder/$program.exe"); done
python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$zip" |
  sort >"$work/zip-names" || fail "$zip is no zip"
printf '%s\n' "${expected[@]}" | sort | diff - "$work/zip-names" >&2 || fail "the zip does not hold what it should"
python3 -m zipfile -e "$zip" "$work/zip" || fail "$zip does not unpack"
for program in "${programs[@]}"; do
  file -b "$work/zip/$folder/$program.exe" | grep -q '^PE32+ executable .*x86-64' ||
    fail "$program.exe in the zip: $(file -b "$work/zip/$folder/$program.exe")"
done

grep -aq 'requestedExecutionLevel level="asInvoker"' "$installer" ||
  fail "the installer's manifest does not run it as the invoker"

# Wine would hand the Start-menu entry to the desktop it runs on (menus under
# XDG_DATA_HOME and XDG_CONFIG_HOME): here those are the test's, and must stay empty.
export XDG_DATA_HOME=$work/xdg-data XDG_CONFIG_HOME=$work/xdg-config
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
prefix=$work/wine
trap '"$wine_run" "$prefix" --stop' EXIT
wine() { "$wine_run" "$prefix" "$@"; }

wine cmd /c exit >/dev/null 2>&1 || fail "no Wine prefix"
find "$prefix/drive_c" -type f | sort >"$work/before"
wine "$installer" /S || fail "the silent install ended with $?"
find "$prefix/drive_c" -type f | sort >"$work/after"
comm -13 "$work/before" "$work/after" >"$work/installed"
echo "installed:"
sed "s|^$prefix/||" "$work/installed"

home=$(find "$prefix/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -1)
user=$(basename "$home")
instdir=$home/AppData/Local/Programs/Linkpeel
shortcut="$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Linkpeel.lnk"
for file in "${programs[@]/%/.exe}" linkpeel.ico README.md COPYRIGHT.txt uninstall.exe; do
  grep -qxF "$instdir/$file" "$work/installed" || fail "no $file in $instdir"
done
grep -qxF "$shortcut" "$work/installed" || fail "no Start-menu entry"

got=$(wine "$instdir/linkpeel-resolve.exe" --version | tr -d '\r') || fail "the installed linkpeel-resolve.exe ended with $?"
[ "$got" = "linkpeel-resolve $version" ] || fail "the installed linkpeel-resolve.exe --version printed '$got'"

key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Linkpeel'
wine reg query "$key" 2>/dev/null | tr -d '\r' >"$work/key" || fail "no key $key"
cat "$work/key"
location="C:\\users\\$user\\AppData\\Local\\Programs\\Linkpeel"
value() { sed -n "s/^ *$1 *REG_[A-Z]* *//p" "$work/key"; }
while IFS='|' read -r name want; do
  [ "$(value "$name")" = "$want" ] || fail "$name is '$(value "$name")', not '$want'"
done <<EOT
DisplayName|Linkpeel
DisplayVersion|$version
DisplayIcon|$location\\linkpeel.ico
Publisher|Selvo
InstallLocation|$location
UninstallString|"$location\\uninstall.exe"
QuietUninstallString|"$location\\uninstall.exe" /S
NoModify|0x1
NoRepair|0x1
EOT
size=$(value EstimatedSize)
[[ $size =~ ^0x[0-9a-f]+$ ]] && ((size > 0)) || fail "EstimatedSize is '$size'"

# What linkpeel.exe leaves after a start: its skin engine and skin, in the
# user's own folder, where a file of the user's may lie beside them.
data=$home/AppData/Local/Linkpeel
mkdir -p "$data"
for file in jedata.dll win8.she notes.txt; do echo "$file" >"$data/$file"; done

# The silent uninstall as the Apps list runs it. The uninstaller hands its work
# to a copy of itself in the temporary folder and ends at once: the files go a
# moment later (30 s at most).
wine "$instdir/uninstall.exe" /S || fail "the silent uninstall ended with $?"
for _ in $(seq 150); do
  [ -e "$instdir" ] || break
  sleep 0.2
done
left=()
while read -r file; do
  [ -e "$file" ] && left+=("${file#"$prefix/"}")
done <"$work/installed"
((${#left[@]} == 0)) || fail "left behind: ${left[*]}"
[ ! -e "$instdir" ] || fail "the folder $instdir is left"
for file in jedata.dll win8.she; do
  [ ! -e "$data/$file" ] || fail "the program's $file is left in $data"
done
[ -e "$data/notes.txt" ] || fail "the user's own file in $data went with the uninstall"
wine reg query "$key" >/dev/null 2>&1 && fail "the key $key is left"
host=$(find "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" -mindepth 1)
[ -z "$host" ] || fail "Wine wrote to the desktop: $host"
echo "ok: installed, ran, uninstalled"
