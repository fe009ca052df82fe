#!/usr/bin/env bash
# The program's groups for the program in front, timed on a private X display
# with a window manager that keeps _NET_ACTIVE_WINDOW (openbox): xterm uses a
# group of its own, xlogo none; foreground_bench_probe brings them to the
# front in turn and reports the median time from the change to every list
# written (the settings store and GTK's, KDE's and Qt's lists). Then the
# program's context switches while nothing happens for 20 seconds.
#   bench/foreground_bench.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(cd "${1:-build}" && pwd)"
cmake --build "$build" --target Varnel_Zize foreground_bench_probe >/dev/null
for tool in Xvfb openbox xterm xlogo xdotool; do
  command -v "$tool" >/dev/null || { echo "foreground_bench: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

work="$(mktemp -d /tmp/varnel-foreground-bench.XXXXXX)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
cp -r "$build/Varnel" "$work/Varnel"
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_DIRS="$work/xdg" QT_QPA_PLATFORM=xcb NO_AT_BRIDGE=1
unset WAYLAND_DISPLAY XDG_SESSION_TYPE
mkdir -p "$HOME" "$XDG_CONFIG_HOME/gtk-3.0" "$XDG_DATA_HOME" "$work/xdg" "$work/groups"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# The user's own lists, as each toolkit writes them the first time.
echo "file:///tmp" >"$XDG_CONFIG_HOME/gtk-3.0/bookmarks"
printf '<?xml version="1.0" encoding="UTF-8"?>\n<!DOCTYPE xbel>\n<xbel>\n</xbel>\n' >"$XDG_DATA_HOME/user-places.xbel"
printf '[FileDialog]\nshortcuts=file:\n' >"$XDG_CONFIG_HOME/QtProject.conf"

exec 3<> <(:)
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 >/dev/null 2>&1 &
pids+=($!)
read -r -t 20 number <&3
export DISPLAY=":$number"
openbox >/dev/null 2>&1 &
pids+=($!)

program="$work/Varnel/Varnel_Zize"
g="$work/groups"
mkdir -p "$g"/h{1..5} "$g"/t{1..5}
printf '[Groups]\nHome=%s/h1|%s/h2|%s/h3|%s/h4|%s/h5\nTerminal=%s/t1|%s/t2|%s/t3|%s/t4|%s/t5\n' \
  "$g" "$g" "$g" "$g" "$g" "$g" "$g" "$g" "$g" "$g" >"$work/groups.conf"
"$program" --import "$work/groups.conf" >/dev/null
"$program" >/dev/null 2>&1 &
pids+=($!)
main=$!
for _ in $(seq 100); do "$program" --list >/dev/null 2>&1 && break; sleep 0.2; done
"$program" --group Home
"$program" --programs Terminal xterm
xterm >/dev/null 2>&1 &
pids+=($!)
xlogo >/dev/null 2>&1 &
pids+=($!)
bound="$(xdotool search --sync --onlyvisible --classname xterm | head -1)"
free="$(xdotool search --sync --onlyvisible --classname xlogo | head -1)"
xdotool windowactivate --sync "$bound"; xdotool windowactivate --sync "$free"
"$build/bench/foreground_bench_probe" "$bound" "$free" "$XDG_CONFIG_HOME/Varnel/HKEY_CURRENT_USER.reg" \
  "$XDG_CONFIG_HOME/gtk-3.0/bookmarks" "$XDG_DATA_HOME/user-places.xbel" "$XDG_CONFIG_HOME/QtProject.conf"

switches() { cat /proc/"$main"/task/*/status | awk '/ctxt_switches/ { n += $2 } END { print n }'; }
before="$(switches)"
sleep 20
echo "foreground_idle_context_switches_20s: $(( $(switches) - before )) switches"
"$program" --quit >/dev/null
