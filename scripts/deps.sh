#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Idempotent: quiet and quick when everything is already there.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev
  libdeflate-dev libisal-dev zlib1g-dev libbz2-dev liblzma-dev libzstd-dev
  # the reading of tar, 7z, RAR, ISO 9660 and cpio archives
  libarchive-dev
  nettle-dev
  libgtest-dev googletest
  fonts-dejavu-core
  # the Debian package and the checks of the desktop entry and AppStream record
  dpkg-dev file desktop-file-utils appstream
  # peers used by the tests to make and check archives
  zip unzip 7zip libarchive-tools python3 xorriso cpio zstd
  # the window placement on a real X server under a real window manager, the
  # Create Group launchers started as a desktop starts them (gio), and
  # entries dragged out with the mouse (xdotool), tests on a display of
  # their own (xvfb-run needs xauth)
  xvfb xauth openbox libglib2.0-bin xdotool
  # the checks of scripts/test.sh: formatting and clang-tidy pinned to LLVM
  # 14, shellcheck, and the fuzz harnesses (clang with libFuzzer)
  clang-format-14 clang-tidy-14 shellcheck clang-14 libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
