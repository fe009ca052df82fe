#!/usr/bin/env bash
# Runs every benchmark program that the build made; each prints "name: median unit" lines.
set -euo pipefail
build="${1:-build}"
for b in "$build"/bench/*_bench; do
  [ -x "$b" ] || continue
  echo "# $(basename "$b")"
  "$b"
done
