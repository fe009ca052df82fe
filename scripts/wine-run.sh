#!/usr/bin/env bash
# Starts a Windows program under Wine: ctest's and CMake's launcher for the
# cross build. Inside a wine session it shares that session's prefix;
# started on its own it makes a session for just this program.
set -euo pipefail
if [ -z "${VARNEL_WINE_SESSION:-}" ]; then
  exec "$(dirname "$0")/wine-session.sh" "$0" "$@"
fi
# Folders of DLLs the program needs besides its own (the Windows kit's Qt,
# the compiler's runtime), as Unix paths separated by ':'.
if [ -n "${VARNEL_WINE_DLL_DIRS:-}" ]; then
  IFS=: read -ra dirs <<<"$VARNEL_WINE_DLL_DIRS"
  for d in "${dirs[@]}"; do WINEPATH="${WINEPATH:+$WINEPATH;}Z:${d//\//\\}"; done
  export WINEPATH
fi
exec wine "$@"
