#!/usr/bin/env bash
# Runs shellcheck on every tracked shell script: the *.sh files and the
# files whose first line names sh or bash (such as .ci/run).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

command -v shellcheck >/dev/null || { echo "shellcheck not found (scripts/deps.sh installs it)" >&2; exit 2; }
scripts=()
while IFS= read -r file; do
    case "$file" in
    *.sh) scripts+=("$file") ;;
    *) if head -n 1 "$file" | grep -Eq '^#!.*[/ ](ba)?sh$'; then scripts+=("$file"); fi ;;
    esac
done < <(git ls-files)
shellcheck "${scripts[@]}"
