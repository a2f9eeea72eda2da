#!/usr/bin/env bash
# Draws terminal.jpg, the picture of the VK72 terminal shown in the main window and
# the About box: the stainless-steel ZEV-Azo operator box above the Zev-Ozi
# electronics box, joined by their cable. Needs ImageMagick 6 (convert).
# Usage: data/draw-terminal.sh [output.jpg]   (default: terminal.jpg beside this script)
# Everything is drawn four times larger and scaled down to 193 x 242 at the end.
set -euo pipefail

out="$(realpath -m "${1:-$(dirname "$0")/terminal.jpg}")"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
cd "$tmp"

W=772
H=968

# Brushed stainless steel: a light gradient with fine horizontal streaks.
convert -size 660x500 gradient:'#f6f7f8'-'#9fa6ac' \
    \( -size 660x500 xc:gray50 -seed 72 +noise Gaussian -motion-blur 0x60+0 -colorspace gray \
       -level 35%,65% \) -compose softlight -composite steel.png

# ZEV-Azo operator box: steel front with rounded corners, a darker side edge for depth.
convert -size 660x500 xc:black -fill white -draw 'roundrectangle 0,0 659,499 34,34' panelmask.png
convert steel.png panelmask.png -alpha off -compose copy_opacity -composite \
    -fill none -stroke '#6e767d' -strokewidth 4 -draw 'roundrectangle 2,2 657,497 32,32' \
    -stroke '#ffffff' -strokewidth 3 -draw 'roundrectangle 9,9 650,490 27,27' \
    panel.png

# Display: black glass in a dark bezel, showing a small process screen.
convert -size 520x330 xc:'#2b3035' \
    -fill '#0d1620' -draw 'rectangle 18,18 501,311' \
    -fill '#1f5f9e' -draw 'rectangle 18,18 501,62' \
    -fill '#e8f0f8' -draw 'rectangle 36,32 150,48' \
    -fill '#7fd16a' -draw 'circle 478,40 478,49' \
    -fill '#27394b' -draw 'rectangle 36,84 260,292' \
    -fill '#4fb0e8' -draw 'rectangle 58,210 88,280' \
    -fill '#4fb0e8' -draw 'rectangle 106,150 136,280' \
    -fill '#4fb0e8' -draw 'rectangle 154,180 184,280' \
    -fill '#f0a23a' -draw 'rectangle 202,112 232,280' \
    -fill '#27394b' -draw 'rectangle 280,84 484,292' \
    -fill '#7fd16a' -draw 'rectangle 300,104 464,126' \
    -fill '#3c556d' -draw 'rectangle 300,146 464,168' \
    -fill '#f0a23a' -draw 'rectangle 300,146 410,168' \
    -fill '#3c556d' -draw 'rectangle 300,188 464,210' \
    -fill '#4fb0e8' -draw 'rectangle 300,188 440,210' \
    -fill '#3c556d' -draw 'rectangle 300,230 464,272' \
    -fill '#e8f0f8' -draw 'rectangle 316,244 400,258' \
    \( -size 484x294 gradient:'rgba(255,255,255,0.16)'-'rgba(255,255,255,0)' \) \
    -geometry +18+18 -compose over -composite \
    display.png

# Membrane keys under the display: function keys, then a green start and a red stop key.
convert -size 660x500 xc:none \
    -fill '#3b4249' -stroke '#1d2125' -strokewidth 3 \
    -draw 'roundrectangle 70,405 140,455 10,10' \
    -draw 'roundrectangle 160,405 230,455 10,10' \
    -draw 'roundrectangle 250,405 320,455 10,10' \
    -draw 'roundrectangle 340,405 410,455 10,10' \
    -fill '#2f9a48' -draw 'roundrectangle 450,405 520,455 10,10' \
    -fill '#c8322b' -draw 'roundrectangle 540,405 610,455 10,10' \
    -stroke none -fill '#8c959d' \
    -draw 'rectangle 95,428 115,432' -draw 'rectangle 185,428 205,432' \
    -draw 'rectangle 275,428 295,432' -draw 'rectangle 365,428 385,432' \
    -fill '#ffffff' -draw 'polygon 476,418 476,442 498,430' \
    -draw 'rectangle 565,420 585,440' \
    keys.png

convert panel.png display.png -geometry +70+45 -compose over -composite \
    keys.png -compose over -composite \
    -fill '#59626a' -stroke none -draw 'circle 40,40 40,49' -draw 'circle 620,40 620,49' \
    -draw 'circle 40,460 40,469' -draw 'circle 620,460 620,469' \
    panel2.png

# Zev-Ozi electronics box: dark anthracite front, a lighter top face and a side face.
convert -size 560x250 gradient:'#4d545b'-'#25292d' \
    -fill none -stroke '#6a737b' -strokewidth 3 -draw 'rectangle 1,1 558,248' \
    -stroke none -fill '#15181b' \
    -draw 'roundrectangle 30,40 110,78 6,6' -draw 'roundrectangle 130,40 210,78 6,6' \
    -draw 'roundrectangle 230,40 310,78 6,6' -draw 'roundrectangle 330,40 410,78 6,6' \
    -draw 'roundrectangle 430,40 510,78 6,6' \
    -draw 'roundrectangle 30,110 110,148 6,6' -draw 'roundrectangle 130,110 210,148 6,6' \
    -draw 'roundrectangle 230,110 310,148 6,6' -draw 'roundrectangle 330,110 410,148 6,6' \
    -draw 'roundrectangle 430,110 510,148 6,6' \
    -fill '#b8bec4' \
    -draw 'rectangle 45,52 95,66' -draw 'rectangle 145,52 195,66' -draw 'rectangle 245,52 295,66' \
    -draw 'rectangle 345,52 395,66' -draw 'rectangle 445,52 495,66' \
    -draw 'rectangle 45,122 95,136' -draw 'rectangle 145,122 195,136' \
    -draw 'rectangle 245,122 295,136' -draw 'rectangle 345,122 395,136' \
    -draw 'rectangle 445,122 495,136' \
    -fill '#0f1113' \
    -draw 'rectangle 52,56 88,62' -draw 'rectangle 152,56 188,62' -draw 'rectangle 252,56 288,62' \
    -draw 'rectangle 352,56 388,62' -draw 'rectangle 452,56 488,62' \
    -draw 'rectangle 52,126 88,132' -draw 'rectangle 152,126 188,132' \
    -draw 'rectangle 252,126 288,132' -draw 'rectangle 352,126 388,132' \
    -draw 'rectangle 452,126 488,132' \
    -fill '#1a1d20' -draw 'roundrectangle 30,180 250,226 6,6' \
    -fill '#c9ced3' -draw 'rectangle 40,190 240,216' \
    -fill '#5b6570' -draw 'rectangle 50,197 150,201' -draw 'rectangle 50,205 200,209' \
    -fill '#34d058' -draw 'circle 330,203 330,213' \
    -fill '#f2b233' -draw 'circle 370,203 370,213' \
    -fill '#1a1d20' -draw 'circle 470,203 470,225' \
    -fill '#7a838b' -draw 'circle 470,203 470,215' \
    front.png
# Soft shadows on the floor and behind the operator box.
convert -size "${W}x${H}" gradient:'#ffffff'-'#e9ecef' \
    -fill '#00000060' -stroke none \
    -draw 'ellipse 386,928 330,26 0,360' \
    -draw 'roundrectangle 70,70 730,570 34,34' \
    -blur 0x18 bg.png

# Assemble: box with top and side faces (simple oblique view), cable, operator box.
convert bg.png \
    -stroke none -fill '#7b838a' -draw 'polygon 86,670 106,630 666,630 646,670' \
    -fill '#1c1f22' -draw 'polygon 646,670 666,630 666,880 646,920' \
    -fill '#98a0a6' -draw 'polygon 88,668 106,633 664,633 646,668' \
    front.png -geometry +86+670 -compose over -composite \
    -fill none -stroke '#17191b' -strokewidth 22 \
    -draw 'bezier 560,560 560,600 580,610 580,650' \
    -stroke '#3a3f44' -strokewidth 6 \
    -draw 'bezier 554,560 554,600 574,610 574,650' \
    -stroke none -fill '#5f676e' -draw 'roundrectangle 540,546 580,572 6,6' \
    -fill '#2a2e32' -draw 'roundrectangle 560,636 600,660 6,6' \
    panel2.png -geometry +56+44 -compose over -composite \
    -resize 193x242! -strip -quality 92 \
    -sampling-factor 4:4:4 "$out"
