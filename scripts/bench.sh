#!/usr/bin/env bash
# Runs every benchmark program that the build made; each prints "name: median unit" lines.
set -euo pipefail
build="${1:-build}"
for b in "$build"/bench/*_bench; do
  [ -x "$b" ] || continue
  echo "# $(basename "$b")"
  "$b"
done
# The group of the program in front, on a display of its own.
echo "# foreground_bench"
"$(dirname "$0")/../bench/foreground_bench.sh" "$build"
# The same under Wine, where a Windows build is there.
echo "# foreground_wine_bench"
"$(dirname "$0")/../bench/foreground_wine_bench.sh"
# The same engine on the Windows registry under Wine, beside the Linux store.
echo "# wine_bench"
"$(dirname "$0")/../bench/wine_bench.sh" "$build"
