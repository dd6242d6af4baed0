#!/usr/bin/env bash
# Renders the program's icon, packaging/icons/tarnwick.svg, into the PNG sizes
# that are committed beside it. Run it after changing the drawing; it needs
# rsvg-convert (Debian package librsvg2-bin), which building does not.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SVG="$ROOT/packaging/icons/tarnwick.svg"
for size in 16 22 24 32 48 64 128 256; do
  out="$ROOT/packaging/icons/hicolor/${size}x${size}/apps"
  mkdir -p "$out"
  rsvg-convert -w "$size" -h "$size" "$SVG" -o "$out/tarnwick.png"
done
