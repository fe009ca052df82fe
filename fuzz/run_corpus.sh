#!/usr/bin/env bash
# Runs a fuzz target over its checked-in corpus plus a fixed number of
# mutations, as the suite does. New inputs go to a scratch folder that starts
# empty each time, so the corpus stays as checked in and the run repeats.
#   run_corpus.sh TARGET CORPUS SCRATCH [libFuzzer options...]
set -euo pipefail
target="$1" corpus="$2" scratch="$3"
shift 3
rm -rf "$scratch"
mkdir -p "$scratch/new" "$scratch/findings"
exec "$target" -artifact_prefix="$scratch/findings/" -print_final_stats=1 "$@" "$scratch/new" "$corpus"
