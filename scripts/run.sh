#!/usr/bin/env bash
# Starts the main program from the program folder the build assembled.
set -euo pipefail
folder="${1:-build/Varnel}"
if [ ! -x "$folder/Varnel_Zize" ]; then
  echo "The main program is not built yet: only the engine exists so far." >&2
  exit 1
fi
exec "$folder/Varnel_Zize" "${@:2}"
