#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a temporary root and checks it
# there; lintian, when at hand, must report no errors.
#   deb_test.sh CPACK BUILD_DIR
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
for tool in dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
(cd "$2" && "$1" -G DEB -B "$out" >"$out/cpack.log") || { cat "$out/cpack.log"; exit 1; }
deb="$(ls "$out"/tarnwick_*.deb)"
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || { echo "FAIL: no computed Depends"; exit 1; }
dpkg-deb -x "$deb" "$out/root"
"$here/smoke.sh" "$out/root"
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb"
fi
