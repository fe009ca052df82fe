#!/usr/bin/env bash
# The complete Windows build: the kit if it is missing (scripts/windows-kit.sh),
# then both programs against it in BUILD_DIR, the program folder
# BUILD_DIR/Varnel/ with everything they load, the release folder
# BUILD_DIR/release/Varnel/, its zip, the setup program and its winget
# manifests (BUILD_DIR/winget/).
#   scripts/windows-build.sh [BUILD_DIR]
# With WINDOWS_SIGN_CERT and WINDOWS_SIGN_KEY (PEM files; optional
# WINDOWS_SIGN_TIMESTAMP, a time-stamp server's URL, and
# WINDOWS_SIGN_PASSWORD_FILE) the programs, the uninstaller and the setup
# program are signed (scripts/windows-sign.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-win}"

if [ -n "${WINDOWS_SIGN_CERT:-}${WINDOWS_SIGN_KEY:-}" ]; then
  for variable in WINDOWS_SIGN_CERT WINDOWS_SIGN_KEY; do
    if [ ! -f "${!variable:-}" ]; then
      echo "windows-build: $variable must name a PEM file (both WINDOWS_SIGN_CERT and WINDOWS_SIGN_KEY)" >&2
      exit 2
    fi
    export "$variable=$(realpath "${!variable}")"
  done
  [ -z "${WINDOWS_SIGN_PASSWORD_FILE:-}" ] || export WINDOWS_SIGN_PASSWORD_FILE="$(realpath "$WINDOWS_SIGN_PASSWORD_FILE")"
  signed=1
else
  signed=""
  echo "windows-build: no WINDOWS_SIGN_CERT and WINDOWS_SIGN_KEY: the programs and the setup program are unsigned"
fi
kit="$(scripts/windows-kit.sh)"
qt_toolchain="$kit/lib/cmake/Qt6/qt.toolchain.cmake"
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Paths below the source folder hash alike, so that a second build folder
# (the signed build's test) compiles from the cache.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"

# The release builder of makeversion1 for this machine (the engine alone, in
# BUILD_DIR-host): it gives the database that ships the release's version rows.
host="$build-host"
if [ ! -f "$host/build.ninja" ]; then
  cmake -S . -B "$host" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNEL_ENGINE_ONLY=ON -DVARNEL_BUILD_TESTS=OFF \
    "${launcher[@]}" >/dev/null
fi
cmake --build "$host" --target varnel_release_database -j "${JOBS:-$(nproc)}"
release_tool="$(cd "$host" && pwd)/varnel_release_database"

# A folder configured for another kit, or for the engine alone, starts over:
# CMake keeps the toolchain of its first configuration.
if [ -f "$build/CMakeCache.txt" ] && ! grep -qxF "VARNEL_WINDOWS_KIT:PATH=$kit" "$build/CMakeCache.txt"; then
  rm -rf "$build"
fi
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$qt_toolchain" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
    -DVARNEL_WINDOWS_KIT:PATH="$kit" -DVARNEL_WITH_SQLITE=ON \
    -DVARNEL_RELEASE_DATABASE_TOOL:FILEPATH="$release_tool" "${launcher[@]}"
elif ! grep -qxF "VARNEL_RELEASE_DATABASE_TOOL:FILEPATH=$release_tool" "$build/CMakeCache.txt"; then
  cmake -S . -B "$build" -DVARNEL_RELEASE_DATABASE_TOOL:FILEPATH="$release_tool" >/dev/null
fi
cmake --build "$build" -j "${JOBS:-$(nproc)}"
cmake --build "$build" --target windows_zip windows_setup
ls "$build"/Varnel_Zize-*-windows-x64.zip "$build"/Varnel_Zize-*-setup.exe
[ -z "$signed" ] || echo "windows-build: signed with $WINDOWS_SIGN_CERT"
