#!/usr/bin/env bash
# The Places Bar apply + remove cycle with three Office versions on the
# Windows registry (the cross-built engine_bench under Wine) beside the same
# cycle on the Linux store, in one run, with their ratio; then, under Wine,
# apply + switch + remove with the navigation pane beside the Places Bar alone.
#   bench/wine_bench.sh [BUILD_DIR] [WIN_BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
win="${2:-build-win-engine}"
name=places_apply_remove_cycle_3_office_versions

if [ ! -f "$win/build.ninja" ]; then
  launcher=()
  command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S . -B "$win" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DVARNEL_ENGINE_ONLY=ON "${launcher[@]}" >/dev/null
fi
cmake --build "$build" --target engine_bench >/dev/null
cmake --build "$win" --target engine_bench >/dev/null

figure() { awk -v n="$name:" '$1 == n { print $2 }'; }
linux="$("$build/bench/engine_bench" | figure)"
wine_out="$(scripts/wine-session.sh wine "$win/bench/engine_bench.exe" | tr -d '\r')"
wine="$(figure <<<"$wine_out")"
if [ -z "$linux" ] || [ -z "$wine" ]; then
  echo "wine_bench: a benchmark did not report $name (linux '$linux', wine '$wine')" >&2
  exit 1
fi
echo "${name}_linux_store: $linux ms"
echo "${name}_wine_registry: $wine ms"
awk -v w="$wine" -v l="$linux" -v n="$name" 'BEGIN { printf "%s_wine_to_linux_ratio: %.2f x\n", n, w / l }'
grep -E "^(places_apply_switch_remove_|switch_through|save_through)" <<<"$wine_out" | sed 's/^\([^:]*\):/\1_wine_registry:/'
