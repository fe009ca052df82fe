#!/usr/bin/env bash
# Installs the Debian packages the build, the programs and the test suite need.
# Does nothing when everything is present; uses sudo when not run as root.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config ccache
  libsqlite3-dev sqlite3
  libsodium-dev libssl-dev
  libgtest-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  xvfb xauth x11-utils x11-xserver-utils xdotool trayer tigervnc-standalone-server
  imagemagick python3 curl strace
  dbus-daemon haskell-gtk-sni-tray-utils
  python3-pil fonts-dejavu-core
  desktop-file-utils appstream lintian dpkg-dev
  g++-mingw-w64-x86-64-posix wine wine64
  # The Windows setup program and its signatures.
  nsis osslsigncode openssl
  clang libclang-rt-14-dev
  e2fsprogs mount
  # The real file dialogs the desktop places test reads: GTK 3 through
  # Python, KDE's places model (KIO, about 150 MB installed).
  python3-gi gir1.2-gtk-3.0 libkf5kio-dev
  # The accessibility bus and the system Python's client of it, through
  # which the accessibility test reads the editor as a screen reader does.
  at-spi2-core python3-pyatspi
)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  SUDO=""
elif command -v sudo >/dev/null 2>&1; then
  SUDO="sudo"
else
  echo "These packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
