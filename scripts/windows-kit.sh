#!/usr/bin/env bash
# The Windows kit: Qt (qtbase), SQLite and libsodium cross-built for
# mingw-w64 from Debian's own source packages, installed into a cache folder
# outside any build tree and reused by every later build on this machine.
# The folder's name carries a key made of the source versions and this
# script's content, so a change to either builds a fresh kit.
#   scripts/windows-kit.sh           build the kit unless it is there; print its folder
#   scripts/windows-kit.sh --prefix  print the kit's folder (built or not)
#   scripts/windows-kit.sh --check   exit 0 when the kit is there
# VARNEL_KIT_CACHE chooses the cache folder; VARNEL_KIT_JOBS the parallel jobs.
set -euo pipefail
cache="${VARNEL_KIT_CACHE:-${HOME:-/root}/.cache/varnel-zize}"
jobs="${VARNEL_KIT_JOBS:-$(nproc)}"
triplet=x86_64-w64-mingw32

# Qt's host tools come from the installed Qt, so the Windows Qt must be the
# very same version; SQLite and libsodium follow what Debian ships.
pkg_version() {
  local v
  v="$(dpkg-query -W -f='${Version}' "$1" 2>/dev/null || true)"
  [ -n "$v" ] || v="$(apt-cache policy "$1" 2>/dev/null | awk '/Candidate:/ {print $2}')"
  [ -n "$v" ] && [ "$v" != "(none)" ] || { echo "windows-kit: no version of $1 known (run scripts/install-deps.sh)" >&2; exit 2; }
  echo "${v%+b[0-9]*}"
}
qt_version="$(pkg_version qt6-base-dev)"
sqlite_version="$(pkg_version libsqlite3-dev)"
sodium_version="$(pkg_version libsodium23)"
key="$( { echo "$qt_version $sqlite_version $sodium_version"; cat "$0"; } | sha256sum | cut -c1-12)"
prefix="$cache/winkit-$key"

case "${1:-}" in
  --prefix) echo "$prefix"; exit 0 ;;
  --check) [ -f "$prefix/.complete" ]; exit ;;
  "") ;;
  *) echo "usage: $0 [--prefix|--check]" >&2; exit 2 ;;
esac
if [ -f "$prefix/.complete" ]; then echo "$prefix"; exit 0; fi

# dpkg-dev unpacks the sources, tcl makes SQLite's amalgamation, perl runs
# Qt's header generator, autotools make libsodium's configure script (its
# source package has none).
kit_packages=(dpkg-dev tcl perl make xz-utils ccache autoconf automake libtool)
missing=()
for p in "${kit_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "windows-kit: installing ${missing[*]}" >&2
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  ${sudo:-} apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}" >&2
fi

mkdir -p "$cache"
exec 9>"$cache/winkit.lock"
if ! flock -n 9; then
  echo "windows-kit: another build of the kit is running; waiting for it" >&2
  flock 9
fi
if [ -f "$prefix/.complete" ]; then echo "$prefix"; exit 0; fi

started=$(date +%s)
# A fixed work folder: a rebuild then hits ccache, whose precompiled headers
# record absolute paths.
work="$cache/winkit-work"
log="$cache/winkit-$key.log"
echo "windows-kit: building the Windows kit into $prefix (log: $log); this takes a while" >&2
exec 3>&2 4>&1 >"$log" 2>&1
trap 'rc=$?; [ $rc -eq 0 ] || echo "windows-kit: failed (exit $rc); see $log" >&3' EXIT
set -x

# Source packages need deb-src entries for the suites the machine installs from.
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
if ! apt-cache showsrc qt6-base 2>/dev/null | grep -q '^Package: qt6-base'; then
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -n '/^Types:/ s/.*/Types: deb-src/p; /^Types:/ !p' /etc/apt/sources.list.d/debian.sources |
      $sudo tee /etc/apt/sources.list.d/varnel-deb-src.sources >/dev/null
  else
    grep -h '^deb ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null | sed 's/^deb /deb-src /' |
      $sudo tee /etc/apt/sources.list.d/varnel-deb-src.list >/dev/null
  fi
  $sudo apt-get -o DPkg::Lock::Timeout=900 update -qq
fi

# Installed straight into its final folder (Qt's toolchain file records it);
# only the .complete mark at the end makes it a kit.
rm -rf "$work/src" "$prefix"
mkdir -p "$work/src" "$prefix"
cd "$work/src"
apt-get source --download-only "qt6-base=$qt_version" "sqlite3=$sqlite_version" "libsodium=$sodium_version"
dpkg-source -x "qt6-base_$qt_version.dsc" qtbase
dpkg-source -x "sqlite3_$sqlite_version.dsc" sqlite
dpkg-source -x "libsodium_$sodium_version.dsc" libsodium

# A toolchain file for the kit's own builds: the posix thread model (the
# win32 one lacks std::thread), Debian's mingw-w64 as the only find root.
cat >"$work/toolchain.cmake" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $triplet-gcc-posix)
set(CMAKE_CXX_COMPILER $triplet-g++-posix)
set(CMAKE_RC_COMPILER $triplet-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$triplet)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# Qt 6.4.2 switches DirectWrite's font code off with Direct2D but leaves two
# users of it compiled in; guard them the same way.
sed -i 's/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' \
  "$work/src/qtbase/src/plugins/platforms/windows/qwindowsintegration.cpp"
sed -i 's/^#if QT_CONFIG(directwrite)$/#if QT_CONFIG(directwrite) \&\& QT_CONFIG(direct2d)/' \
  "$work/src/qtbase/src/printsupport/platform/windows/qprintengine_win.cpp"

# Debian's tarball lacks the tablet headers, hence no tablet events; the
# offscreen platform the tests use needs FreeType.
rm -rf "$work/qtbuild"
mkdir -p "$work/qtbuild"
cd "$work/qtbuild"
"$work/src/qtbase/configure" -prefix "$prefix" -xplatform win32-g++ -qt-host-path /usr \
  -release -shared -nomake tests -nomake examples \
  -no-opengl -no-dbus -no-icu -no-pkg-config -no-zstd -no-feature-sql -no-feature-xml -no-feature-vulkan \
  -no-feature-direct2d -no-feature-tabletevent -no-feature-androiddeployqt \
  -qt-zlib -qt-libpng -qt-libjpeg -qt-pcre -qt-harfbuzz -qt-freetype \
  -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake "${launcher[@]}"
cmake --build . --parallel "$jobs"
cmake --install .

# SQLite: its own build makes the amalgamation; the cross compiler turns it
# into a static library.
(
  cd "$work/src/sqlite"
  mkdir -p bld && cd bld
  ../configure --disable-tcl >/dev/null
  make sqlite3.c
  mkdir -p "$prefix/include" "$prefix/lib"
  $triplet-gcc-posix -O2 -DSQLITE_THREADSAFE=1 -DSQLITE_ENABLE_FTS5 -c sqlite3.c -o sqlite3.o
  $triplet-ar rcs "$prefix/lib/libsqlite3.a" sqlite3.o
  cp sqlite3.h sqlite3ext.h "$prefix/include/"
)

# libsodium, static: the update signatures check with it.
(
  cd "$work/src/libsodium"
  autoreconf -fi
  ./configure --host=$triplet --prefix="$prefix" --disable-shared --enable-static \
    CC=$triplet-gcc-posix CFLAGS="-O2" >/dev/null
  make -j"$jobs"
  make install
)

cat >"$prefix/kit.txt" <<EOF
qt6-base $qt_version
sqlite3 $sqlite_version
libsodium $sodium_version
built in $(( $(date +%s) - started )) s on $(date -u +%FT%TZ)
EOF
touch "$prefix/.complete"
set +x
echo "windows-kit: built in $(( $(date +%s) - started )) s" >&3
echo "$prefix" >&4
