#!/usr/bin/env bash
# Starts the main program from the program folder the build assembled.
# With a desktop it simply starts there. Without one it starts a private X
# display with a notification area, reachable with any VNC viewer on
# 127.0.0.1 only, and runs the program on it.
set -euo pipefail
folder="$(cd "${1:-build/Varnel}" && pwd)"
shift || true
program="$folder/Varnel_Zize"
if [ ! -x "$program" ]; then
  echo "The main program was not built: $program is missing." >&2
  exit 1
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$program" "$@"
fi

# No desktop: a private display.
n=20
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
port=$((5900 + n))
Xvnc ":$n" -localhost -interface 127.0.0.1 -nolisten tcp -rfbport "$port" \
  -SecurityTypes None -geometry 1280x800 -depth 24 -desktop "Varnel Zize" >/tmp/varnel-xvnc-$n.log 2>&1 &
xvnc=$!
trap 'kill "$tray" "$xvnc" 2>/dev/null || true; wait 2>/dev/null || true' EXIT INT TERM
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
export DISPLAY=":$n"
trayer --edge top --align right --widthtype request --height 24 --transparent false --tint 0x2b3a55 \
  --SetDockType true --expand true >/dev/null 2>&1 &
tray=$!
echo "Varnel Zize runs on a private display."
echo "Connect a VNC viewer to 127.0.0.1:$port (display :$n). Quit from the tray menu to stop."
"$program" "$@" || true
