#!/usr/bin/env bash
# Renders the PNG sizes of the program's icon from mayorin.svg into hicolor/<size>x<size>/apps/.
# Run it by hand after changing the SVG and commit the PNGs; builds and installs only copy them.
# Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
    mkdir -p "hicolor/${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" -o "hicolor/${size}x${size}/apps/mayorin.png" mayorin.svg
done
