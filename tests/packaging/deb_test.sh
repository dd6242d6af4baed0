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
depends="$(dpkg-deb -f "$deb" Depends)"
grep -q libqt6widgets6 <<<"$depends" || { echo "FAIL: no computed Depends"; exit 1; }
grep -Eq '(^|, )xdg-utils(,|$| )' <<<"$depends" || { echo "FAIL: no xdg-utils in '$depends'"; exit 1; }
dpkg-deb -x "$deb" "$out/root"
"$here/smoke.sh" "$out/root"
# One version: the package's is the one the programs print.
version="$(dpkg-deb -f "$deb" Version)"
for program in tarnwick tarnwick-cli; do
  printed="$(env -i QT_QPA_PLATFORM=offscreen "$out/root/usr/bin/$program" --version)"
  [ "$printed" = "$program $version" ] || { echo "FAIL: $program --version printed '$printed', the package is $version"; exit 1; }
done
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb"
fi
