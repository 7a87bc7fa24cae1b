#!/usr/bin/env bash
# check_deb.sh PACKAGE.deb VERSION WORK: the package as Debian's tools see it.
#   - its version, and Depends: the Qt and C libraries dpkg-shlibdeps found,
#     libcurl4 (opened at run time) and a CJK font;
#   - it holds both programs, the desktop entry, the icon in each size, the
#     metainfo, the man pages and the copyright;
#   - desktop-file-validate and appstreamcli (no network) find nothing to say
#     but hints, lintian nothing above info, and man renders each page without
#     a warning.
set -uo pipefail
deb=$1 version=$2 work=$3
status=0
fail() { echo "FAIL: $*" >&2; status=1; }
rm -rf "$work"
mkdir -p "$work"
root=$work/root
dpkg-deb -x "$deb" "$root" || { echo "FAIL: $deb does not unpack" >&2; exit 1; }

[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version $(dpkg-deb -f "$deb" Version), not $version"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for pattern in '\blibc6 ' '\blibqt6widgets6 ' '\blibstdc\+\+6 ' '\blibcurl4\b' '\bfonts-wqy-microhei\b'; do
  grep -qP "$pattern" <<<"$depends" || fail "Depends lacks ${pattern//\\b/}"
done

files=(usr/bin/linkpeel usr/bin/linkpeel-resolve
       usr/share/applications/linkpeel.desktop
       usr/share/metainfo/com.example.linkpeel.metainfo.xml
       usr/share/man/man1/linkpeel.1.gz usr/share/man/man1/linkpeel-resolve.1.gz
       usr/share/doc/linkpeel/copyright)
for file in "${files[@]}"; do
  [ -f "$root/$file" ] || fail "no $file"
done
for size in 16 22 24 32 48 64 128 256; do
  icon=usr/share/icons/hicolor/${size}x$size/apps/linkpeel.png
  file -b "$root/$icon" | grep -q "^PNG image data, $size x $size," || fail "$icon: $(file -b "$root/$icon")"
done
for program in linkpeel linkpeel-resolve; do
  file -b "$root/usr/bin/$program" | grep -q 'ELF.*, stripped' || fail "$program is not a stripped ELF program"
done

# Each tool's findings are shown; what counts as one fails the test.
check() {  # check NAME FAILING-LINES-PATTERN COMMAND...
  local name=$1 pattern=$2
  shift 2
  "$@" >"$work/$name.log" 2>&1
  local code=$?
  sed "s/^/$name: /" "$work/$name.log"
  [ "$code" -eq 0 ] || fail "$name ended with $code"
  ! grep -qE "$pattern" "$work/$name.log" || fail "$name found something"
}
check desktop-file-validate 'error|warning' desktop-file-validate "$root/usr/share/applications/linkpeel.desktop"
check appstreamcli '^[EW]:' appstreamcli validate --no-net "$root/usr/share/metainfo/com.example.linkpeel.metainfo.xml"
check appstreamcli-tree '^[EW]:' appstreamcli validate-tree --no-net "$root"
check lintian '^[EW]:' lintian --fail-on error,warning "$deb"
for page in linkpeel linkpeel-resolve; do
  MANWIDTH=80 man --warnings -l -P cat "$root/usr/share/man/man1/$page.1.gz" >"$work/$page.txt" 2>"$work/$page.err" ||
    fail "man $page ended with $?"
  [ -s "$work/$page.txt" ] || fail "man $page shows nothing"
  [ ! -s "$work/$page.err" ] || fail "man $page: $(cat "$work/$page.err")"
done
grep -q "Linkpeel $version" "$work/linkpeel-resolve.txt" || fail "linkpeel-resolve(1) does not name version $version"
exit "$status"
