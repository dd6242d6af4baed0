#!/usr/bin/env bash
# Installs what is needed, builds Tarnwick and starts it:  scripts/run.sh [archive]
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$ROOT/scripts/deps.sh"
cmake -S "$ROOT" -B "$ROOT/build/release" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_BUILD_TESTS=OFF >/dev/null
cmake --build "$ROOT/build/release" --target tarnwick tarnwick-cli zipeng32 unzeng32
exec "$ROOT/build/release/bin/tarnwick" "$@"
