#!/usr/bin/env bash
# The group of the program in front under Wine, with a window manager that
# activates windows (openbox): the bench's own window uses a group, notepad
# none; foreground_wine_bench brings them to the front in turn and reports the
# median time from the change to the Places Bar and the navigation pane
# written. Then the program's context switches while nothing happens for 20
# seconds (Wine's own threads in it included).
#   bench/foreground_wine_bench.sh [WIN_BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
win="$(cd "${1:-build-win}" 2>/dev/null && pwd || true)"
if [ -z "${VARNEL_WINE_SESSION:-}" ]; then
  if [ -z "$win" ] || [ ! -f "$win/build.ninja" ]; then
    echo "foreground_wine_bench: skipped, no Windows build (scripts/windows-build.sh build-win makes one)"
    exit 0
  fi
  cmake --build "$win" --target Varnel_Zize foreground_wine_bench >/dev/null
  exec scripts/wine-session.sh "$0" "$win"
fi

work="$(mktemp -d /tmp/varnel-foreground-wine-bench.XXXXXX)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
openbox >/dev/null 2>&1 &
pids+=($!)
cp -r "$win/Varnel" "$work/Varnel"
cp "$win/bench/foreground_wine_bench.exe" "$work/"
drive="$WINEPREFIX/drive_c"
mkdir -p "$drive"/bench/h{1..5} "$drive"/bench/b{1..5}
printf '[Groups]\r\nHome=C:\\bench\\h1|C:\\bench\\h2|C:\\bench\\h3|C:\\bench\\h4|C:\\bench\\h5\r\n' >"$work/groups.conf"
printf 'Bench=C:\\bench\\b1|C:\\bench\\b2|C:\\bench\\b3|C:\\bench\\b4|C:\\bench\\b5\r\n' >>"$work/groups.conf"
program="$work/Varnel/Varnel_Zize.exe"
wine "$program" --import "$(winepath -w "$work/groups.conf")" >/dev/null
wine "$program" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 150); do wine "$program" --list >/dev/null 2>&1 && break; sleep 0.5; done
wine "$program" --group Home >/dev/null
wine "$program" --programs Bench foreground_wine_bench.exe >/dev/null
wine notepad >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 120); do xdotool search --onlyvisible --name Notepad >/dev/null 2>&1 && break; sleep 0.5; done
wine "$work/foreground_wine_bench.exe" 50 'C:\bench\b1' b5 'C:\bench\h1' h5 | tr -d '\r'

# Idle: the program's context switches over 20 seconds, all its threads,
# with the pointer off its windows (Wine follows a window's hover with a
# timer of its own while the pointer is over it).
xdotool mousemove 0 0
sleep 2
main="$(pgrep -f 'Varnel_Zize.exe$' | head -1 || true)"
switches() {
  cat /proc/"$main"/task/*/status 2>/dev/null |
    awk '/^(voluntary|nonvoluntary)_ctxt_switches/ { n += $2 } END { print n + 0 }'
}
if [ -n "$main" ]; then
  before="$(switches)"
  sleep 20
  echo "foreground_idle_context_switches_20s_wine: $(($(switches) - before))"
fi
