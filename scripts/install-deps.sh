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
  # Which program is in front, on X11: a connection of the program's own.
  libxcb1-dev
  xvfb xauth x11-utils x11-xserver-utils xdotool trayer tigervnc-standalone-server
  imagemagick python3 curl strace
  dbus-daemon haskell-gtk-sni-tray-utils
  python3-pil fonts-dejavu-core
  desktop-file-utils appstream lintian dpkg-dev
  g++-mingw-w64-x86-64-posix wine wine64
  # The 32-bit probes of the Windows proofs (Wine's 32-bit side is below).
  gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix
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
  # The administrators' Ansible recipe, run by the admin kit test.
  ansible-core
  # A window manager that keeps _NET_ACTIVE_WINDOW, and the two programs
  # brought to the front in the test of the programs' groups.
  openbox xterm x11-apps
)
packages+=("$@")

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done

apt_install() {
  echo "Installing missing packages: $*"
  if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
  elif command -v sudo >/dev/null 2>&1; then
    SUDO="sudo"
  else
    echo "These packages are missing and neither root nor sudo is available: $*" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  # Packages of another architecture (libc6:i386) need it enabled first.
  for p in "$@"; do
    arch="${p##*:}"
    if [ "$arch" != "$p" ] && ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
      $SUDO dpkg --add-architecture "$arch"
    fi
  done
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "$@"
}

[ ${#missing[@]} -eq 0 ] || apt_install "${missing[@]}"

# Wine's 32-bit side: 32-bit Windows programs (the usual Office) read the
# navigation pane's classes through their own registry view, and the Windows
# proofs look at the dialogs as such a program does. Only on a machine that
# runs 32-bit programs at all: some virtual machines run none, and there an
# installed wine32 would take the place of Debian's "wine" and start nothing.
if [ "$(dpkg --print-architecture)" = amd64 ] && ! installed wine32:i386; then
  installed libc6:i386 || apt_install libc6:i386
  if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    apt_install wine32:i386
  else
    echo "install-deps: this machine runs no 32-bit programs (its kernel refuses i386 executables):" \
         "wine32:i386 is left out, and the Windows proofs say they skip what a 32-bit program sees." >&2
  fi
fi
