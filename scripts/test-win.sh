#!/usr/bin/env bash
# The Windows tests under Wine, all in one Wine session (one prefix, one X
# display), one test program at a time: they share the prefix's current-user
# hive. With the Windows kit (scripts/windows-kit.sh) the complete programs
# are built in BUILD_DIR and proven under Wine besides; without it only the
# engine is cross-built (in BUILD_DIR-engine) and tested.
#   scripts/test-win.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-win}"
if scripts/windows-kit.sh --check; then
  scripts/windows-build.sh "$build"
  exec scripts/wine-session.sh ctest --test-dir "$build" --output-on-failure
fi

skipped() {
  echo "== Windows program tests SKIPPED: no Windows kit at $(scripts/windows-kit.sh --prefix)."
  echo "== 'make test-windows' builds the kit once (about 20 to 40 minutes) and runs them."
}
skipped
echo "== The engine's Windows tests run now."
build="$build-engine"
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DVARNEL_ENGINE_ONLY=ON "${launcher[@]}"
fi
cmake --build "$build" -j "$(nproc)"
scripts/wine-session.sh ctest --test-dir "$build" --output-on-failure
skipped
