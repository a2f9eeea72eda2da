#!/usr/bin/env bash
# Draws the program's own icons as 16 x 16 and 24 x 24 PNGs: the tool bar and menu
# images, the pictures on the dialog buttons and the window icon. Needs ImageMagick 6.
# Usage: data/icons/draw-icons.sh [output folder]   (default: the folder of this script)
# Each image is drawn on a 96 x 96 canvas and scaled down, so both sizes come out smooth.
# The PNGs are stored without compression or row filters: for images this small, setting
# up the decompression costs the program more at start-up than the few bytes it saves.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
out="$(realpath -m "${1:-$here}")"
mkdir -p "$out"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# Writes NAME-16.png and NAME-24.png from a 96 x 96 drawing.
emit() {
    local name=$1 big=$2
    for size in 16 24; do
        convert "$big" -filter Triangle -resize "${size}x${size}" -strip $store "PNG32:$out/$name-$size.png"
    done
}

store="-define png:exclude-chunks=date,time -define png:compression-level=0 -define png:compression-filter=0"

canvas() { convert -size 96x96 xc:none "$@"; }

# New document: a white sheet with a folded corner.
canvas -stroke '#4a5560' -strokewidth 5 -fill '#ffffff' \
    -draw 'polygon 18,6 60,6 80,26 80,90 18,90' \
    -fill '#d5dbe1' -draw 'polygon 60,6 60,26 80,26' \
    -stroke '#9aa5b0' -strokewidth 4 \
    -draw 'line 30,44 68,44' -draw 'line 30,58 68,58' -draw 'line 30,72 58,72' \
    "$tmp/new.png"
emit new "$tmp/new.png"

# Open: a yellow folder with its front flap tilted open.
canvas -stroke '#8a6212' -strokewidth 5 -fill '#e0a526' \
    -draw 'polygon 6,18 36,18 44,28 84,28 84,82 6,82' \
    -fill '#ffffff' -stroke '#9aa5b0' -strokewidth 3 -draw 'rectangle 18,34 76,70' \
    -stroke '#8a6212' -strokewidth 5 -fill '#f7c948' \
    -draw 'polygon 6,82 20,44 92,44 78,82' \
    "$tmp/open.png"
emit open "$tmp/open.png"

# Save: a blue disk with a white label and a metal shutter.
canvas -stroke '#173d6b' -strokewidth 5 -fill '#2f6db5' \
    -draw 'polygon 8,8 78,8 90,20 90,90 8,90' \
    -stroke none -fill '#ffffff' -draw 'rectangle 22,12 72,44' \
    -fill '#9aa5b0' -draw 'rectangle 28,20 66,24' -draw 'rectangle 28,30 66,34' \
    -fill '#c9d1d9' -draw 'rectangle 26,60 72,90' \
    -fill '#173d6b' -draw 'rectangle 52,66 62,84' \
    "$tmp/save.png"
emit save "$tmp/save.png"

# About: a white "i" on a blue disc.
canvas -stroke '#173d6b' -strokewidth 4 -fill '#2f6db5' -draw 'circle 48,48 48,4' \
    -stroke none -fill '#ffffff' -draw 'circle 48,26 48,33' \
    -draw 'roundrectangle 41,40 55,76 3,3' \
    "$tmp/about.png"
emit about "$tmp/about.png"

# Close and exit: a red cross.
canvas -stroke '#7d1410' -strokewidth 24 -draw 'stroke-linecap round line 20,20 76,76 line 76,20 20,76' \
    -stroke '#d8342c' -strokewidth 15 -draw 'stroke-linecap round line 20,20 76,76 line 76,20 20,76' \
    "$tmp/close.png"
emit close "$tmp/close.png"

# OK: a green tick.
canvas -fill none -stroke '#1d5e26' -strokewidth 24 -draw 'stroke-linecap round stroke-linejoin round polyline 12,50 38,76 86,22' \
    -stroke '#34a046' -strokewidth 14 -draw 'stroke-linecap round stroke-linejoin round polyline 12,50 38,76 86,22' \
    "$tmp/ok.png"
emit ok "$tmp/ok.png"

# Cancel: a white cross on a red disc.
canvas -stroke '#7d1410' -strokewidth 4 -fill '#d8342c' -draw 'circle 48,48 48,4' \
    -stroke '#ffffff' -strokewidth 13 -draw 'line 30,30 66,66' -draw 'line 66,30 30,66' \
    "$tmp/cancel.png"
emit cancel "$tmp/cancel.png"

# Clear: a brush, its handle up to the right and yellow bristles down to the left.
canvas -stroke '#5b3410' -strokewidth 4 -fill '#a8642a' \
    -draw 'polygon 58,28 82,4 92,14 68,38' \
    -stroke '#4a5560' -fill '#b9c2cb' -draw 'polygon 44,42 58,28 68,38 54,52' \
    -stroke '#8a6212' -fill '#f7c948' -draw 'polygon 44,42 54,52 40,80 8,90 18,58' \
    -stroke '#8a6212' -strokewidth 3 -draw 'line 38,62 22,82' -draw 'line 46,58 30,86' \
    "$tmp/clear.png"
emit clear "$tmp/clear.png"

# Window icon: the terminal picture fitted into a square.
for size in 16 24 32; do
    convert "$here/../terminal.jpg" -filter Triangle -resize "${size}x${size}" -background none \
        -gravity center -extent "${size}x${size}" -strip $store "PNG32:$out/kitbuilder-$size.png"
done
