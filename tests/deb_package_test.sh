#!/bin/sh
# The Debian package: CPack builds it from the install rules; it installs
# under /usr, depends on Debian's Qt 6 and SQLite, and lintian finds no error.
# Usage: deb_package_test.sh <build folder>
set -eu
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1; then
  cat "$out/cpack.log"
  exit 1
fi
deb=$(ls "$out"/*.deb)
echo "built $(basename "$deb")"
contents=$(dpkg-deb -c "$deb")
for path in './usr/lib/varnel-zize/Varnel_Zize' './usr/lib/varnel-zize/Db/Varnel.db' \
            './usr/lib/varnel-zize/Language/English.lang' './usr/bin/Varnel_Zize -> ../lib/varnel-zize/Varnel_Zize' \
            './usr/share/applications/se.varnelzize.VarnelZize.desktop'; do
  printf '%s\n' "$contents" | grep -qF " $path" || { echo "missing from the package: $path"; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libqt6widgets6 libqt6network6 libqt6gui6 libsqlite3-0; do
  case "$depends" in *"$library "*|*"$library,"*|*"$library") ;; *) echo "no dependency on $library"; exit 1 ;; esac
done
lintian --fail-on error --tag-display-limit 0 "$deb"
