#!/usr/bin/env bash
# window_test.sh PREFIX linkpeel.exe window_probe.exe open_recorder.exe WORK [--resolve]
#
# linkpeel.exe under Wine on a virtual display (Xvfb), worked from outside:
# window_probe.exe reads the window back through window messages, xdotool
# types and clicks as a user would. Screenshots are kept in WORK.
#
# Without --resolve: the form against the one written out below, under an
# English and a Chinese locale; 按钮2 drawn flat by the skin; Enter and Esc; Esc, the Exit button and the
# close box end it with 0; the About box; the banner's press reaches the
# opener (open_recorder.exe, registered for http in this prefix, never a
# browser); the skin files in %LOCALAPPDATA%\Linkpeel and nowhere else; a
# second copy while the first runs; a folder that cannot be made (a file in
# its place) gives the fatal box and 255.
#
# With --resolve (run inside tests/e2e/in_share_netns.sh): an address typed
# into 编辑框2 and 解析 pressed give the stand-in service's link and facts, under
# a Chinese and an English locale. PREFIX is then a prefix of the namespace's
# own, made from the build's (as compare_resolve.sh does), so that its
# wineserver starts in here.
set -uo pipefail
prefix=$(realpath -m "$1") program=$2 probe_exe=$3 recorder=$4 work=$5 mode=${6:-}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$work"
failed=0
fail() { echo "FAILED: $*" >&2; failed=1; }

# The controls' ids: 1000 and the row's place in the form, in creation order.
declare -A id=([按钮3]=1000 [标签1]=1001 [按钮1]=1002 [图片框1]=1003 [透明标签4]=1004 [透明标签3]=1005
               [透明标签2]=1006 [透明标签1]=1007 [按钮2]=1008 [编辑框5]=1009 [编辑框2]=1010)

[ "$mode" = --resolve ] && "$here/copy_prefix.sh" "$prefix"

source "$here/../../scripts/xvfb.sh"
start_xvfb "$work" || exit 1
export LINKPEEL_WINE_DISPLAY=$DISPLAY
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  "$here/wine_run.sh" "$prefix" --stop
  kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT

locale=en_US.UTF-8
wine_() { LINKPEEL_LOCALE=$locale "$here/wine_run.sh" "$prefix" "$@"; }
probe() { wine_ "$probe_exe" "$@"; }

# start [N]: starts a copy and waits until N main windows show; pid is its.
start() {
  wine_ "$program" >"$work/stdout" 2>"$work/stderr" &
  pid=$!
  pids+=("$pid")
  probe wait "${1:-1}" || fail "$locale: the window did not show"
}
# finish WHAT CODE: waits (20 s at most) for the copy and checks its status.
finish() {
  local code=
  for _ in $(seq 400); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
  if kill -0 "$pid" 2>/dev/null; then
    fail "$locale: $1: still running"
    kill "$pid"
  fi
  wait "$pid"
  code=$?
  [ "$code" = "$2" ] || fail "$locale: $1: ended with $code, not $2"
}
expect() {  # expect WHAT GOT WANTED
  [ "$2" = "$3" ] || fail "$locale: $1: got '$2', want '$3'"
}
# Clicks the middle of a control, as the user would, which gives it the focus.
click_into() { xdotool mousemove $(probe where "${id[$1]}") click 1; sleep 0.3; }
shot() { import -window root "$work/$1.png" || fail "no screenshot $1"; }
pixel() { convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | sed -n 's/.*\(#[0-9A-F]\{6\}\).*/\1/p'; }
# flat_button SHOT CONTROL WIDTH HEIGHT: the skin draws the button flat, one
# border colour on all four sides and one face colour, where the system's own
# button has a light top-left and a dark bottom-right edge.
flat_button() {
  read -r x y < <(probe where "${id[$2]}")
  local left=$((x - $3 / 2)) top=$((y - $4 / 2)) right=$((x - $3 / 2 + $3 - 1)) bottom=$((y - $4 / 2 + $4 - 1))
  local edges faces
  edges=$(for p in "$x $top" "$x $bottom" "$left $y" "$right $y"; do pixel "$1" $p; done | sort -u)
  faces=$(for p in "$((left + 3)) $((top + 3))" "$((right - 3)) $((bottom - 3))"; do pixel "$1" $p; done | sort -u)
  [ "$(wc -l <<<"$edges")" = 1 ] && [ "$(wc -l <<<"$faces")" = 1 ] && [ "$edges" != "$faces" ] ||
    fail "$locale: $2 is not drawn flat: edges $(echo $edges), face $(echo $faces)"
}

if [ "$mode" = --resolve ]; then
  s=http://pan.baidu.com/s/
  for locale in zh_CN.UTF-8 en_US.UTF-8; do
    start
    probe set "${id[编辑框2]}" "${s}1full"
    probe click "${id[按钮2]}"
    link=
    for _ in $(seq 200); do
      link=$(probe get "${id[编辑框5]}")
      [ -n "$link" ] && break
      sleep 0.1
    done
    expect "编辑框5" "$link" 'http://d.pcs.baidu.com/file/9d8f?fid=807312661286537&sh=1&fn=%E5%AD%A3.pdf'
    expect "透明标签1" "$(probe get "${id[透明标签1]}")" "季度报告 final.pdf"
    expect "透明标签2" "$(probe get "${id[透明标签2]}")" "文件大小：1.5M"
    expect "透明标签3" "$(probe get "${id[透明标签3]}")" "更新时间：2014-03-18 10:20"
    expect "透明标签4" "$(probe get "${id[透明标签4]}")" "分享者：张三"
    shot "resolved-${locale%%.*}"
    # A second address without facts: the labels are rewritten, and the old
    # facts' pixels must not stay behind (the screenshot shows it).
    probe set "${id[编辑框2]}" "${s}1bare"
    probe click "${id[按钮2]}"
    for _ in $(seq 200); do [ -z "$(probe get "${id[编辑框5]}")" ] && break; sleep 0.1; done
    expect "透明标签1 after a bare page" "$(probe get "${id[透明标签1]}")" ""
    expect "透明标签2 after a bare page" "$(probe get "${id[透明标签2]}")" "文件大小："
    shot "resolved-again-${locale%%.*}"
    read -r x y < <(probe where "${id[透明标签1]}")
    colours=$(convert "$work/resolved-again-${locale%%.*}.png" -crop "410x19+$((x - 205))+$((y - 9))" -format %k info:)
    expect "colours left where the file name was" "$colours" 1
    probe close
    finish "closed after resolving" 0
  done
  exit "$failed"
fi

# Everything of the prefix that a start writes to, made fresh.
drive=$prefix/drive_c
test_dir=$drive/linkpeel-test
rm -rf "$test_dir"
mkdir -p "$test_dir"
cp "$recorder" "$test_dir/open_recorder.exe"
# The user's own class (HKCU) is where Windows looks first; Wine 8 reads the
# machine's alone (HKLM), so the prefix gets both: winebrowser is never asked.
for root in HKCU HKLM; do
  wine_ reg add "$root"'\Software\Classes\http\shell\open\command' /ve /f \
    /d '"C:\linkpeel-test\open_recorder.exe" "%1"' >/dev/null 2>&1 || fail "the opener cannot be registered"
done
data=$(find "$drive/users" -maxdepth 4 -type d -path '*/AppData/Local' ! -path '*/Public/*' | head -1)
[ -n "$data" ] || fail "no AppData\\Local in the prefix"
rm -rf "$data/Linkpeel" "$drive/windows/jedata.dll" "$drive/windows/win8.she"

# The form, written out apart from the program's own table: outer 450 x 379
# centred on the 1024 x 768 screen, a fixed frame with the close box alone.
form_expected=$(cat <<'FORM'
screen 1024 768
window 287 194 450 379 caption,sysmenu Linkpeel - Selvo (www.example.com)
control 1000 Button 341 328 96 20 tabstop 退出
control 1001 Static 159 328 126 24 disabled Selvo'zu 2014/3/18
control 1002 Button 8 328 96 20 tabstop 关于
control 1003 Static -3 0 450 120 - 
control 1004 Static 13 176 127 19 - 
control 1005 Static 260 176 150 18 - 
control 1006 Static 153 176 95 19 - 
control 1007 Static 13 157 410 19 - 
control 1008 Button 336 128 88 24 tabstop 解析
control 1009 Edit 8 198 428 128 tabstop,multiline,autovscroll,wantreturn,nohidesel 
control 1010 Edit 24 128 304 24 tabstop,autohscroll http://pan.baidu.com/s/1i3n3O01
FORM
)
for locale in en_US.UTF-8 zh_CN.UTF-8; do
  start
  # The border flag is left out: the edit control takes WS_BORDER over and
  # draws the border itself, and an engine may draw its own frame.
  got=$(probe form | sed -e '/^client /d' -e 's/\bborder,\?//; s/ ,/ /; s/ \(caption\|tabstop\)/ \1/')
  if [ "$got" != "$form_expected" ]; then
    fail "$locale: the form differs (first wanted, then shown)"
    diff <(echo "$form_expected") <(echo "$got") >&2
  fi
  shot "window-${locale%%.*}"
  flat_button "$work/window-${locale%%.*}.png" 按钮2 88 24
  probe close
  finish "the close box" 0
done

locale=en_US.UTF-8
ls "$data/Linkpeel" >/dev/null 2>&1 || fail "no folder $data/Linkpeel after a start"
[ "$(head -c 2 "$data/Linkpeel/jedata.dll" 2>/dev/null)" = MZ ] || fail "no library in %LOCALAPPDATA%\\Linkpeel"
[ "$(head -c 4 "$data/Linkpeel/win8.she" 2>/dev/null)" = .SHE ] || fail "no skin file in %LOCALAPPDATA%\\Linkpeel"
[ -e "$drive/windows/jedata.dll" ] && fail "the library was written into the Windows directory"
[ -e "$drive/windows/win8.she" ] && fail "the skin was written into the Windows directory"

# Keys, as typed: Tab follows the table's order from its first button, and
# 编辑框5 keeps Tab for itself; Enter makes a new line in 编辑框5, which keeps
# CR LF; Enter in 编辑框2 neither moves the focus nor presses a button (解析
# would write the labels); Esc from the multi-line box ends the program.
start
order=$(probe focus)
for _ in 1 2 3 4; do xdotool key Tab; sleep 0.2; order+=" $(probe focus)"; done
expect "the focus with Tab" "$order" "${id[按钮3]} ${id[按钮1]} ${id[按钮2]} ${id[编辑框5]} ${id[编辑框5]}"
click_into 编辑框5
probe set "${id[编辑框5]}" ""
xdotool type --delay 50 ab; xdotool key Return; xdotool type --delay 50 cd; sleep 0.3
expect "Enter in 编辑框5" "$(probe get "${id[编辑框5]}")" 'ab\r\ncd'
click_into 编辑框2
xdotool key Return; sleep 0.5
expect "the focus after Enter in 编辑框2" "$(probe focus)" "${id[编辑框2]}"
expect "Enter in 编辑框2" "$(probe get "${id[透明标签2]}")" ""
click_into 编辑框5
xdotool key Escape
finish "Esc in 编辑框5" 0

start
probe click "${id[按钮3]}"
finish "the Exit button" 0

# A second copy while the first runs goes on with the library in place.
start
start 2
probe close; probe close
finish "the second copy" 0
pid=${pids[-2]}
finish "the first copy" 0

# The About box and the banner, under the Chinese locale, where MessageBoxA
# shows code page 936 as Chinese.
locale=zh_CN.UTF-8
rm -f "$test_dir/opened.txt"
start
probe click "${id[按钮1]}"
about=$(probe box "信息：")
expect "the About box" "$about" "$(printf '%s\n' 'text 本软件由 Selvo制作，感谢您的支持！\r\n您可以点击logo进入我的个人网站哟！' 'button 1')"
probe press "${id[图片框1]}"
for _ in $(seq 100); do [ -s "$test_dir/opened.txt" ] && break; sleep 0.1; done
expect "the opener's address" "$(cat "$test_dir/opened.txt" 2>/dev/null)" "http://www.example.com/"
probe close
finish "closed after About" 0

# A file in the folder's place: no folder can be made there, nothing is
# written and no library loads. The fatal box, then 255.
rm -rf "$data/Linkpeel"
echo x >"$data/Linkpeel"
wine_ "$program" >"$work/stdout" 2>"$work/stderr" &
pid=$!
pids+=("$pid")
fatal=$(probe box "错误")
expect "the fatal box" "$fatal" "$(printf '%s\n' 'text 运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“jedata.dll”中的输出命令“SkinH_AttachEx”\r\n' 'button 1')"
finish "the fatal error" 255
rm -f "$data/Linkpeel"

exit "$failed"
