#!/usr/bin/env bash
# Installs what is needed, checks formatting (clang-format 14) and shell
# scripts (shellcheck), builds everything with warnings as errors, runs
# clang-tidy over the engine libraries and every test; then builds a second
# tree under AddressSanitizer and UndefinedBehaviorSanitizer, runs the tests
# again and runs every fuzz harness for a short time.
#   scripts/test.sh            everything
#   scripts/test.sh --quick    without the sanitizer tree and the fuzzing
# Each step's time is printed after it.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$ROOT/scripts/deps.sh"

export QT_QPA_PLATFORM=offscreen
JOBS="$(nproc)"

# step NAME COMMAND...: runs it and says how long it took.
step() {
  local name=$1 start=$SECONDS
  shift
  "$@"
  echo "== $name: $((SECONDS - start)) s"
}

run_tree() {
  local dir="$1"; shift
  cmake -S "$ROOT" -B "$dir" -G Ninja -DTARNWICK_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS"
  ctest --test-dir "$dir" -j "$JOBS" --output-on-failure --timeout 600
}

step "format check" "$ROOT/scripts/check-format.sh"
step "shellcheck" "$ROOT/scripts/check-shell.sh"
step "build and tests" run_tree "$ROOT/build/test" -DCMAKE_BUILD_TYPE=RelWithDebInfo
step "clang-tidy" "$ROOT/scripts/check-tidy.sh" "$ROOT/build/test"
if [ "${1:-}" != "--quick" ]; then
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS=suppressions="$ROOT/scripts/lsan.supp"
  step "sanitizer build and tests" \
    run_tree "$ROOT/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DTARNWICK_SANITIZE=ON
  step "fuzzing" env FUZZ_OUT="$ROOT/build/fuzz" "$ROOT/tests/fuzz/run.sh"
fi
