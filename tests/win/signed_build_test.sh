#!/usr/bin/env bash
# `make windows` with a throwaway code-signing certificate, in a Windows build
# folder of its own: both programs, the uninstaller and the setup program
# carry signatures that osslsigncode verifies against that certificate, the
# zip holds the signed programs, the winget manifest names the signed setup
# program, and one changed byte breaks a signature. Built again without a
# certificate, the build says once that it is unsigned and signs nothing.
#   signed_build_test.sh <source folder> <build folder>
set -euo pipefail
root="$1"
build="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failed=0
check() {  # check NAME COMMAND...
  local name="$1"
  shift
  if "$@" >"$work/check.log" 2>&1; then
    echo "PASS $name"
  else
    echo "FAIL $name"
    sed 's/^/    /' "$work/check.log"
    failed=1
  fi
}
fails() { ! "$@"; }

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Varnel Zize test signing" \
  -addext "extendedKeyUsage=codeSigning" -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null

build_windows() {  # build_windows LOG [VARIABLE=VALUE...]
  local log="$1"
  shift
  # Its own make, whatever make runs the tests.
  if ! env -u MAKEFLAGS -u MFLAGS -u MAKELEVEL make -C "$root" windows WIN_BUILD_DIR="$build" "$@" >"$log" 2>&1; then
    cat "$log"
    echo "FAIL make windows $*"
    exit 1
  fi
}
zip_member() { python3 -c 'import sys, zipfile; sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]))' "$@"; }
signed_files=(release/Varnel/Varnel_Zize.exe release/Varnel/Varnel_Zize_Update.exe setup/Uninstall.exe)
setup_name() { (cd "$build" && ls Varnel_Zize-*-setup.exe); }

build_windows "$work/signed.log" WINDOWS_SIGN_CERT="$work/cert.pem" WINDOWS_SIGN_KEY="$work/key.pem"
setup="$(setup_name)"
for file in "${signed_files[@]}" "$setup"; do
  check "$file is signed with the certificate" \
    osslsigncode verify -CAfile "$work/cert.pem" -in "$build/$file"
done
check "the signer is the certificate's subject" \
  grep -q "Varnel Zize test signing" <(osslsigncode verify -CAfile "$work/cert.pem" -in "$build/$setup" 2>&1)
unsigned_note="the programs and the setup program are unsigned"
check "the build did not call itself unsigned" fails grep -q "$unsigned_note" "$work/signed.log"
zip="$(cd "$build" && ls Varnel_Zize-*-windows-x64.zip)"
for program in Varnel_Zize.exe Varnel_Zize_Update.exe; do
  check "the zip holds the signed $program" \
    cmp <(zip_member "$build/$zip" "Varnel/$program") "$build/release/Varnel/$program"
done
sha=$(sha256sum "$build/$setup" | cut -c1-64 | tr a-f A-F)
check "the winget manifest names the signed setup program" \
  grep -qx "  InstallerSha256: $sha" "$build"/winget/manifests/v/Varnel/VarnelZize/*/Varnel.VarnelZize.installer.yaml
cp "$build/$setup" "$work/changed.exe"
size=$(stat -c %s "$work/changed.exe")
printf '\x5a' | dd of="$work/changed.exe" bs=1 seek=$((size / 2)) conv=notrunc status=none
check "a changed byte fails verification" fails osslsigncode verify -CAfile "$work/cert.pem" -in "$work/changed.exe"
cp "$build/release/Varnel/Varnel_Zize.exe" "$work/changed.exe"
printf '\x00' | dd of="$work/changed.exe" bs=1 seek=4096 conv=notrunc status=none
check "a changed byte in a program fails verification" \
  fails osslsigncode verify -CAfile "$work/cert.pem" -in "$work/changed.exe"

build_windows "$work/unsigned.log" WINDOWS_SIGN_CERT= WINDOWS_SIGN_KEY=
check "an unsigned build says so once" test "$(grep -c "$unsigned_note" "$work/unsigned.log")" -eq 1
for file in release/Varnel/Varnel_Zize.exe "$setup"; do
  check "$file of an unsigned build has no signature" \
    fails osslsigncode verify -CAfile "$work/cert.pem" -in "$build/$file"
done
check "an unsigned build keeps no signed uninstaller" test ! -e "$build/setup/Uninstall.exe"
exit $failed
