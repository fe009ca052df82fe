#!/usr/bin/env bash
# Cross-builds the engine for Windows with mingw-w64 and runs its tests under
# Wine, all in one Wine session (one prefix, one X display), one test
# program at a time: they share the prefix's current-user hive.
#   scripts/test-win.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-win}"
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DVARNEL_ENGINE_ONLY=ON "${launcher[@]}"
fi
cmake --build "$build" -j "$(nproc)"
exec scripts/wine-session.sh ctest --test-dir "$build" --output-on-failure
