#!/usr/bin/env bash
# Takes the README's screenshots of the group in the desktop's own file
# dialogs: the running main program applies a group in a private home, then a
# GTK 3 file chooser, Qt's file dialog and (with Wine) the navigation pane of
# Wine's new-style Open dialog are photographed on a private display.
#   tools/desktop_places_screenshots.sh [BUILD_FOLDER] [OUTPUT_FOLDER]
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
out="$(mkdir -p "${2:-docs/screenshots}" && cd "${2:-docs/screenshots}" && pwd)"
here="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d)"
home="$work/home"
cleanup() {
  if [ -n "${program:-}" ]; then
    kill "$program" 2>/dev/null || true
    wait "$program" 2>/dev/null || true
  fi
  if [ "${WINEPREFIX:-}" = "$work/wine" ]; then
    # The program puts the prefix back through Wine after it has ended.
    for _ in $(seq 100); do [ -e "$home/.local/state/Varnel/wine-restore.reg" ] || break; sleep 0.2; done
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  [ -z "${xvfb:-}" ] || kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
cp -r "$build/Varnel" "$work/Varnel"
rm -f "$work/Varnel/Error.log" "$work/Varnel/loggaren.log"
mkdir -p "$home/Projects/Site 2024" "$home/Reports" "$home/Design/Logotyp Åre" "$home/Photos/2024" "$home/Notes"
sqlite3 "$work/Varnel/Db/Varnel.db" "delete from tbl_Groups;
  insert into tbl_Groups values('Work','$home/Projects/Site 2024','$home/Reports','$home/Design/Logotyp Åre','$home/Photos/2024','$home/Notes');"
mkdir -p "$work/config/Varnel" "$work/config/gtk-3.0" "$work/run" "$home/Documents" "$home/Music"
chmod 700 "$work/run"
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Varnel\\VarnelZize]\r\n"CurrentGroup"="Work"\r\n"Language"="English"\r\n' \
  > "$work/config/Varnel/HKEY_CURRENT_USER.reg"
# The user's own entries come first in each list.
printf 'file://%s/Documents\nfile://%s/Music\n' "$home" "$home" > "$work/config/gtk-3.0/bookmarks"

n=150
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
export DISPLAY=":$n" HOME="$home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$home/.local/share" \
  XDG_STATE_HOME="$home/.local/state" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb NO_AT_BRIDGE=1 \
  GSETTINGS_BACKEND=memory
unset WAYLAND_DISPLAY
export WINEPREFIX="$work/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine_probe="$build/tests/desktop_probes/wine_root_probe.exe"
Xvfb "$DISPLAY" -screen 0 800x520x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
xsetroot -solid '#5b6f8a' 2>/dev/null || true

# The program fills the prefix it finds at its start. Wine's desktop is the
# home folder itself unless there is a Desktop folder in it.
mkdir -p "$home/Desktop"
[ -f "$wine_probe" ] && command -v wine >/dev/null && wineboot -i >/dev/null 2>&1 || true

# A Qt dialog used once keeps its sidebar in QtProject.conf.
"$build/tests/desktop_probes/qt_places_probe" >/dev/null
"$work/Varnel/Varnel_Zize" >/dev/null 2>&1 &
program=$!
for _ in $(seq 100); do grep -q "Notes" "$work/config/gtk-3.0/bookmarks" && break; sleep 0.1; done
# The editor stays behind the dialogs.
xdotool search --name "Varnel" windowminimize %@ >/dev/null 2>&1 || true

/usr/bin/python3 "$here/tests/desktop_probes/gtk_places_probe.py" --keep 4 >/dev/null &
probe=$!
sleep 3
import -window root "$out/gtk-file-chooser-group.png"
wait "$probe" || true
(cd "$home" && "$build/tests/desktop_probes/qt_places_probe" --keep 4 >/dev/null) &
probe=$!
sleep 2.5
import -window root "$out/qt-file-dialog-group.png"
wait "$probe" || true
if [ -d "$WINEPREFIX/drive_c" ]; then
  # The fifth slot's entry: Wine has imported the group.
  for _ in $(seq 100); do wine "$wine_probe" 2>/dev/null | grep -qi '::{377c742e-5507-469c-a9ea-0fb0926479b5}' && break; sleep 0.5; done
  wine "$wine_probe" --show >/dev/null 2>&1 &
  sleep 6
  import -window root "$out/wine-navigation-pane-group.png"
  wineserver -k >/dev/null 2>&1 || true
fi
