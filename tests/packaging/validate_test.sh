#!/usr/bin/env bash
# The desktop entry and the AppStream record pass their validators.
#   validate_test.sh DESKTOP_FILE METAINFO_FILE
set -euo pipefail
for tool in desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
desktop-file-validate "$1"
appstreamcli validate --no-net "$2"
