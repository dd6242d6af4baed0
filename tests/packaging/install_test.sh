#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks it there.
#   install_test.sh CMAKE BUILD_DIR
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
dest="$(mktemp -d)"
trap 'rm -rf "$dest"' EXIT
DESTDIR="$dest" "$1" --install "$2" --prefix /usr >/dev/null
"$here/smoke.sh" "$dest"
