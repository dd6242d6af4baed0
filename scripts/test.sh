#!/usr/bin/env bash
# Installs what is needed, builds everything with warnings as errors and runs
# every test; then builds a second tree under AddressSanitizer and
# UndefinedBehaviorSanitizer and runs the tests again.
#   scripts/test.sh            both runs
#   scripts/test.sh --quick    the first run only
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$ROOT/scripts/deps.sh"

export QT_QPA_PLATFORM=offscreen
JOBS="$(nproc)"

run_tree() {
  local dir="$1"; shift
  cmake -S "$ROOT" -B "$dir" -G Ninja -DTARNWICK_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS"
  ctest --test-dir "$dir" -j "$JOBS" --output-on-failure --timeout 600
}

run_tree "$ROOT/build/test" -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ "${1:-}" != "--quick" ]; then
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS=suppressions="$ROOT/scripts/lsan.supp"
  run_tree "$ROOT/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DTARNWICK_SANITIZE=ON
fi
