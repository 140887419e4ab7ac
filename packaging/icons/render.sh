#!/usr/bin/env bash
# Renders the PNG sizes of the icon from loto6kermon.svg after it changes.
# Needs rsvg-convert (Debian package librsvg2-bin); the PNGs are committed,
# so building the program does not.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" -o "loto6kermon-$size.png" loto6kermon.svg
done
