#!/usr/bin/env bash
# Installs what is needed, builds a release of Tarnwick and packs it as a
# Debian package: build/package/tarnwick_VERSION_ARCH.deb
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$ROOT/scripts/deps.sh"
BUILD="$ROOT/build/package"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD"
(cd "$BUILD" && cpack -G DEB)
ls "$BUILD"/tarnwick_*.deb
