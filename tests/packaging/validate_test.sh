#!/usr/bin/env bash
# The desktop entry, the AppStream record and the file managers' action files
# pass their validators. desktop-file-validate knows only applications, links
# and folders: for the KDE service menus (Type=Service) and the
# FileManager-Actions files (Type=Action) the complaints about exactly those
# formats' own keys are expected, and any other complaint fails.
#   validate_test.sh DESKTOP_FILE METAINFO_FILE [ACTION_FILE...]
set -euo pipefail
for tool in desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
desktop-file-validate "$1"
appstreamcli validate --no-net "$2"
shift 2
expected='type is "Service" while this key is only valid|"all/all" which is an invalid MIME type'
expected+='|"Action" for key "Type" in group "Desktop Entry" is not a registered type'
expected+='|key "Profiles" in group "Desktop Entry", but keys extending'
status=0
for file in "$@"; do
  complaints="$(desktop-file-validate "$file" 2>&1 | grep -Ev "$expected" || true)"
  if [ -n "$complaints" ]; then
    echo "$complaints"
    status=1
  fi
  grep -Eq '^Exec=tarnwick --(extract-here|extract-to-folder|add-to) %F$' "$file" ||
    { echo "$file: no Exec line of ours"; status=1; }
done
exit "$status"
