#!/usr/bin/env bash
# Builds the suite with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer (-O1, its own build folder, kept between runs)
# and runs all of it there, the fuzz targets over their corpora included.
# A finding in any process, the programs a test starts included, fails the run.
#   scripts/test-san.sh [BUILD_DIR] [ctest options...]
# With SAN_BUILD_ONLY=1 it only configures and builds.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-san}"
shift || true
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only -DNDEBUG" -DVARNEL_SANITIZE=ON "${launcher[@]}"
fi
cmake --build "$build" -j "$(nproc)"
[ "${SAN_BUILD_ONLY:-0}" = 1 ] && exit 0

# Every process writes its findings beside the build, whoever started it and
# whatever its exit code was taken for.
reports="$PWD/$build/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
export ASAN_OPTIONS="log_path=$reports/finding:detect_leaks=1:check_initialization_order=1:strict_init_order=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="log_path=$reports/finding:print_stacktrace=1:halt_on_error=1"
status=0
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "$@" || status=$?
if compgen -G "$reports/*" >/dev/null; then
  for report in "$reports"/*; do
    echo "==== sanitizer finding: $report"
    cat "$report"
  done
  status=1
fi
exit "$status"
