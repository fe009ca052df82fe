#!/usr/bin/env bash
# Runs a command with a Wine of its own: a fresh 64-bit prefix in a temporary
# folder, a private X display (Xvfb) for windows and dialogs, and a wine
# server that lives exactly as long as the command. Everything is stopped and
# removed afterwards, whatever the command's outcome.
#   scripts/wine-session.sh COMMAND [ARGS...]
set -euo pipefail

for tool in wine wineserver wineboot Xvfb; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "wine-session: '$tool' is missing; run scripts/install-deps.sh (make deps)" >&2
    exit 2
  fi
done

session="$(mktemp -d "${TMPDIR:-/tmp}/varnel-wine.XXXXXX")"
export WINEPREFIX="$session/prefix"
export HOME="${HOME:-$session}"
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko installer prompts, no desktop menu entries for the host.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# The registry tests may clear their keys in this prefix's hive.
export VARNEL_TEST_PRIVATE_HIVE=1
export VARNEL_WINE_SESSION="$session"

xvfb_pid=""
cleanup() {
  local rc=$?
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$session"
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display number itself and reports it on fd 3.
exec 3>"$session/display"
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 >"$session/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do
  [ -s "$session/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { cat "$session/xvfb.log" >&2; echo "wine-session: Xvfb did not start" >&2; exit 2; }
  sleep 0.1
done
[ -s "$session/display" ] || { echo "wine-session: Xvfb did not report its display" >&2; exit 2; }
export DISPLAY=":$(head -n1 "$session/display")"

# One server for the whole command, so that every program started under it
# shares the prefix without paying Wine's start-up again.
# Creating a prefix now and then fails on a busy machine ("could not load
# kernel32.dll"); a fresh attempt from an empty folder goes through.
created=""
for attempt in 1 2 3; do
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineserver -p
  if wineboot -i >"$session/wineboot.log" 2>&1 && wine cmd /c exit 0 >>"$session/wineboot.log" 2>&1; then
    created=yes
    break
  fi
  echo "wine-session: creating the Wine prefix failed (attempt $attempt)" >&2
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
done
if [ -z "$created" ]; then
  cat "$session/wineboot.log" >&2
  echo "wine-session: creating the Wine prefix failed" >&2
  exit 2
fi

"$@"
