#!/usr/bin/env bash
# Checks that every tracked C and C++ file is formatted as the .clang-format
# at the top says, with clang-format 14 (Debian 12's): another major version
# formats differently, so it is refused rather than trusted.
#   scripts/check-format.sh          report the files that deviate, fail if any
#   scripts/check-format.sh --fix    format them in place
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
FORMAT=${CLANG_FORMAT:-clang-format-14}

command -v "$FORMAT" >/dev/null || { echo "$FORMAT not found (scripts/deps.sh installs it)" >&2; exit 2; }
major=$("$FORMAT" --version | sed -n 's/.*version \([0-9]*\)\..*/\1/p')
if [ "$major" != 14 ]; then
    echo "$FORMAT is version ${major:-unknown}; the formatting is pinned to clang-format 14" >&2
    exit 2
fi

cd "$ROOT"
mapfile -t files < <(git ls-files '*.c' '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
    "$FORMAT" -i "${files[@]}"
    exit 0
fi
if ! "$FORMAT" --dry-run --Werror "${files[@]}"; then
    echo "formatting differs (above); scripts/check-format.sh --fix formats the files" >&2
    exit 1
fi
