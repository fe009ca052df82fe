#!/usr/bin/env bash
# Runs the fuzz targets for as long as asked, one after the other, and adds
# what they find to the checked-in corpora under fuzz/corpus/: inputs that
# reach new code (merged, so the corpus stays small) and inputs that crash
# (kept under their crash name, so the suite repeats them until fixed).
#   scripts/fuzz.sh [BUILD_DIR] [SECONDS_PER_TARGET] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-san}"
seconds="${2:-60}"
shift 2 || shift $#
SAN_BUILD_ONLY=1 scripts/test-san.sh "$build" >/dev/null

found=0
while read -r name binary options; do
  if [ $# -gt 0 ] && [[ " $* " != *" $name "* ]]; then continue; fi
  corpus="fuzz/corpus/$name"
  work="$build/fuzz-run/$name"
  rm -rf "$work"
  mkdir -p "$work/new" "$work/findings" "$corpus"
  echo "== $name: $seconds s"
  # shellcheck disable=SC2086
  nice "$binary" $options -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$work/findings/" "$work/new" "$corpus" 2>"$work/log" || true
  grep -E '^(stat::number_of_executed_units|Done|#[0-9]+.*DONE)' "$work/log" | tail -2 || true
  # shellcheck disable=SC2086
  "$binary" $options -merge=1 -artifact_prefix="$work/findings/merge-" "$corpus" "$work/new" \
    2>"$work/merge.log" >/dev/null || true
  # (merge-* are the same inputs met again while merging)
  for crash in "$work"/findings/{crash,leak,timeout,oom,slow-unit}-*; do
    [ -e "$crash" ] || continue
    cp "$crash" "$corpus/"
    echo "   finding kept as $corpus/$(basename "$crash") (see $work/log)"
    found=1
  done
done <"$build/fuzz-targets.txt"
exit "$found"
