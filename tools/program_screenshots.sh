#!/usr/bin/env bash
# Takes the README's screenshots of the running main program: a private X
# display with a notification area, a program folder with sample groups, and
# xdotool clicking through the windows as a person would.
#   tools/program_screenshots.sh [PROGRAM_FOLDER] [OUTPUT_FOLDER]
set -euo pipefail
source_folder="$(cd "${1:-build/Varnel}" && pwd)"
out="$(mkdir -p "${2:-docs/screenshots}" && cd "${2:-docs/screenshots}" && pwd)"
work="$(mktemp -d)"
cp -r "$source_folder" "$work/Varnel"
rm -f "$work/Varnel/Error.log" "$work/Varnel/loggaren.log"
sqlite3 "$work/Varnel/Db/Varnel.db" "delete from tbl_Groups;
  insert into tbl_Groups values('Work','/home/anna/Projects','/home/anna/Reports','/srv/shared/Design','/home/anna/Photos/2024','/tmp');
  insert into tbl_Groups values('Music','/home/anna/Music','/home/anna/Music/Live','/srv/media/Albums','/home/anna/Downloads','/tmp');"
mkdir -p "$work/config/Varnel" "$work/run"
chmod 700 "$work/run"
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Varnel\\VarnelZize]\r\n"CurrentGroup"="Work"\r\n"Language"="English"\r\n' \
  > "$work/config/Varnel/HKEY_CURRENT_USER.reg"

n=70
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
export DISPLAY=":$n" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
Xvfb "$DISPLAY" -screen 0 800x560x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
  kill "${program:-}" "${tray:-}" "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
xsetroot -solid '#5b6f8a' 2>/dev/null || true
trayer --edge top --align right --widthtype request --height 24 --SetDockType true --tint 0x2b3a55 \
  --transparent true --alpha 0 >/dev/null 2>&1 &
tray=$!
sleep 0.5

shot() { import -window root "$out/$1.png"; }
# Clicks a point of the editor, given from its top-left corner.
click() { xdotool mousemove $((EX + $1)) $((EY + $2)) click 1; sleep 0.6; }

"$work/Varnel/Varnel_Zize" >/dev/null 2>&1 &
program=$!
sleep 0.5
shot splash
sleep 1.5
# The editor is the 401 pixel wide window.
for w in $(xdotool search --onlyvisible --name 'Varnel Zize'); do
  eval "$(xdotool getwindowgeometry --shell "$w")"
  [ "$WIDTH" = 401 ] && { EX=$X; EY=$Y; }
done
shot editor-change-mode
click 62 48
shot editor-add-mode
click 62 80
# The other group, then the dustbin: the question box.
click 331 57
xdotool key Down Return; sleep 0.5
click 365 57
shot question-box
# Its Cancel button: the box is centred over the editor.
click $((200 - 125 + 147 + 40)) $((125 - 50 + 66 + 12))
tray_window=$(xdotool search --onlyvisible --class trayer | head -1)
eval "$(xdotool getwindowgeometry --shell "$tray_window")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 3; sleep 0.6
xdotool key Down Right; sleep 0.5
shot tray-menu
xdotool key Escape Escape Escape; sleep 0.3
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 3; sleep 0.6
xdotool key Down Down Down Down Down Down Return; sleep 0.8
shot about-box
xdotool key Escape; sleep 0.6
# The keyboard's focus mark: Tab from the second place to its folder button.
click 232 123
xdotool key Tab; sleep 0.4
import -window root -crop "401x250+$EX+$EY" +repage "$out/editor-keyboard-focus.png"
# The editor's Programs menu, with two programs open (the window manager
# keeps the list of windows it offers) and xterm using Music, the group shown.
openbox >/dev/null 2>&1 &
manager=$!
xterm -geometry 60x12+20+330 >/dev/null 2>&1 &
terminal=$!
xlogo -geometry 120x120+640+40 >/dev/null 2>&1 &
logo=$!
trap 'kill "$manager" "$terminal" "$logo" 2>/dev/null || true; cleanup' EXIT
sleep 1.5
"$work/Varnel/Varnel_Zize" --programs Music xterm >/dev/null
xdotool search --onlyvisible --name 'Varnel Zize' windowactivate 2>/dev/null || true
sleep 0.5
click 62 144
shot editor-programs-menu
xdotool key Escape
echo "Screenshots written to $out"
