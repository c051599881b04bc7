#!/usr/bin/env bash
# Draws the annotation library's own images (ImageMagick). Run from this folder; the PNG files it writes
# are committed beside it.
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p icons/cursor

# Move cursor: a four-way arrow, black with a white rim so it shows on any background; hot spot in the
# middle (21, 21) of its 44 x 44 pixels.
/usr/bin/convert -size 44x44 xc:none \
    -stroke white -strokewidth 4 -fill none \
    -draw "line 21,5 21,37" -draw "line 5,21 37,21" \
    -stroke white -strokewidth 2 -fill white \
    -draw "polygon 21,1 14,10 28,10" -draw "polygon 21,41 14,32 28,32" \
    -draw "polygon 1,21 10,14 10,28" -draw "polygon 41,21 32,14 32,28" \
    -stroke black -strokewidth 2 -fill none \
    -draw "line 21,6 21,36" -draw "line 6,21 36,21" \
    -stroke none -fill black \
    -draw "polygon 21,3 16,9 26,9" -draw "polygon 21,39 16,33 26,33" \
    -draw "polygon 3,21 9,16 9,26" -draw "polygon 39,21 33,16 33,26" \
    -define png:color-type=6 icons/cursor/cursor_move.png

# Select cursor: a pointing arrow, black with a white rim, whose tip is the hot spot (5, 10).
/usr/bin/convert -size 44x44 xc:none \
    -stroke white -strokewidth 3 -fill black \
    -draw "polygon 5,10 5,38 12,31 17,42 22,40 17,29 27,29" \
    -stroke black -strokewidth 1 -fill black \
    -draw "polygon 6,13 6,35 12,29 17,39 20,38 15,27 24,27" \
    -define png:color-type=6 icons/cursor/cursor_select.png
