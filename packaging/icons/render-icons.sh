#!/usr/bin/env bash
# Renders the application icon (vk72-configurator.svg) into the PNG sizes of the hicolor
# theme, beside this script as NxN.png. Needs rsvg-convert (librsvg2-bin); run it again
# after changing the drawing and commit the PNGs.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
for size in 16 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" "$here/vk72-configurator.svg" -o "$here/$size.png.tmp"
    # Without timestamps or other metadata, so the same drawing gives the same bytes.
    convert "$here/$size.png.tmp" -strip "PNG32:$here/${size}x${size}.png"
    rm -f "$here/$size.png.tmp"
done
