#!/usr/bin/env bash
# Signs one Windows program file in place with Authenticode (SHA-256) with
# the certificate and private key named by WINDOWS_SIGN_CERT and
# WINDOWS_SIGN_KEY (PEM files; WINDOWS_SIGN_PASSWORD_FILE holds the key's
# password if it has one), time-stamped by the RFC 3161 server
# WINDOWS_SIGN_TIMESTAMP when one is given. Without a certificate it does
# nothing: the build is unsigned, which scripts/windows-build.sh says once.
#   scripts/windows-sign.sh FILE [COPY]    COPY: a copy of the signed file
set -euo pipefail
file="$1"
[ -n "${WINDOWS_SIGN_CERT:-}" ] || exit 0
args=(sign -certs "$WINDOWS_SIGN_CERT" -key "$WINDOWS_SIGN_KEY" -h sha256
      -n "Varnel Zize" -i https://www.varnelzize.se)
[ -z "${WINDOWS_SIGN_PASSWORD_FILE:-}" ] || args+=(-readpass "$WINDOWS_SIGN_PASSWORD_FILE")
[ -z "${WINDOWS_SIGN_TIMESTAMP:-}" ] || args+=(-ts "$WINDOWS_SIGN_TIMESTAMP")
rm -f "$file.signed"
if ! osslsigncode "${args[@]}" -in "$file" -out "$file.signed" >"$file.signing.log" 2>&1; then
  cat "$file.signing.log" >&2
  rm -f "$file.signed" "$file.signing.log"
  echo "windows-sign: could not sign $file" >&2
  exit 1
fi
rm -f "$file.signing.log"
mv "$file.signed" "$file"
[ -z "${2:-}" ] || cp "$file" "$2"
