#!/usr/bin/env bash
# Draws the images of the main toolbar and of its camera layout chooser (ImageMagick). Run from anywhere;
# the PNG files it writes are committed beside it and listed in resources/core/toolbar.qrc.
#
# The bar is a dark plate whose side against the screen edge is square and whose other corners are
# round; the narrow form is the same plate, short. Buttons come as _normal,
# _hover and _pressed: a white glyph on a clear ground, on a light plate while hovered and a blue one
# while pressed (the horizontal bar also shows the normal image as the button's icon, over the plate).
set -euo pipefail
cd "$(dirname "$0")"
IM=/usr/bin/convert

BAR='rgba(43,47,54,0.94)'
EDGE='rgba(255,255,255,0.14)'

plate() { # width, height, roundrectangle corners, file
    "$IM" -size "$1x$2" xc:none -fill "$BAR" -stroke "$EDGE" -strokewidth 1 -draw "roundrectangle $3 10,10" \
        -define png:color-type=6 "$4"
}
# Enlarged bars, 488 x 55 and 55 x 488, and narrow ones, 70 x 55 and 55 x 70. Each plate fills its
# bar; the corners beyond the image are the square side against the screen edge.
plate 488 55 "0,-20 487,54" bg_t_b_topbar.png
plate 488 55 "0,0 487,74" bg_t_b_downbar.png
plate 55 488 "-20,0 54,487" bg_t_b_leftbar.png
plate 55 488 "0,0 74,487" bg_t_b_rightbar.png
plate 70 55 "0,-20 69,54" bg_t_s_topbar.png
plate 70 55 "0,0 69,74" bg_t_s_topbar_down.png
plate 55 70 "-20,0 54,69" bg_t_s_topbar_left.png
plate 55 70 "0,0 74,69" bg_t_s_topbar_right.png

# Glyph functions: arguments colour, width, height; they fill the array G with draw arguments centred
# in the image.
g_rec() {
    local c=$1 x=$(($2 / 2)) y=$(($3 / 2))
    G=(-fill none -stroke "$c" -strokewidth 2 -draw "circle $x,$y $x,$((y - 12))"
       -fill '#e5322d' -stroke none -draw "circle $x,$y $x,$((y - 8))")
}
g_cap() {
    local c=$1 x=$(($2 / 2)) y=$(($3 / 2))
    G=(-fill none -stroke "$c" -strokewidth 2 -draw "roundrectangle $((x - 13)),$((y - 7)) $((x + 13)),$((y + 11)) 3,3"
       -draw "circle $x,$((y + 2)) $x,$((y - 4))"
       -fill "$c" -stroke none -draw "rectangle $((x - 5)),$((y - 11)) $((x + 5)),$((y - 7))"
       -draw "circle $((x + 9)),$((y - 3)) $((x + 9)),$((y - 2))")
}
g_live() {
    local c=$1 x=$(($2 / 2)) y=$(($3 / 2))
    G=(-fill "$c" -stroke none -draw "circle $x,$y $x,$((y - 3))"
       -fill none -stroke "$c" -strokewidth 2
       -draw "arc $((x - 8)),$((y - 8)) $((x + 8)),$((y + 8)) 135,225"
       -draw "arc $((x - 8)),$((y - 8)) $((x + 8)),$((y + 8)) -45,45"
       -draw "arc $((x - 14)),$((y - 14)) $((x + 14)),$((y + 14)) 140,220"
       -draw "arc $((x - 14)),$((y - 14)) $((x + 14)),$((y + 14)) -40,40")
}
g_file() {
    local c=$1 x=$(($2 / 2)) y=$(($3 / 2))
    G=(-fill none -stroke "$c" -strokewidth 2
       -draw "polygon $((x - 13)),$((y - 9)) $((x - 4)),$((y - 9)) $((x - 1)),$((y - 6)) $((x + 13)),$((y - 6)) $((x + 13)),$((y + 10)) $((x - 13)),$((y + 10))"
       -draw "line $((x - 13)),$((y - 2)) $((x + 13)),$((y - 2))")
}
g_set() {
    local c=$1 x=$(($2 / 2)) y=$(($3 / 2)) teeth=() k
    for k in 0 1 2 3 4 5 6 7; do
        local a
        a=$(awk -v k=$k 'BEGIN { print k * 3.14159265 / 4 }')
        teeth+=(-draw "line $(awk -v x=$x -v y=$y -v a="$a" 'BEGIN { printf "%.1f,%.1f %.1f,%.1f", x + 8 * cos(a), y + 8 * sin(a), x + 13 * cos(a), y + 13 * sin(a) }')")
    done
    G=(-fill none -stroke "$c" -strokewidth 3 "${teeth[@]}" -strokewidth 2
       -draw "circle $x,$y $x,$((y - 8))" -draw "circle $x,$y $x,$((y - 3))")
}
g_pen() {
    local c=$1 x=$(($2 / 2)) y=$(($3 / 2))
    G=(-fill none -stroke "$c" -strokewidth 2
       -draw "polygon $((x + 7)),$((y - 13)) $((x + 13)),$((y - 7)) $((x - 6)),$((y + 12)) $((x - 13)),$((y + 13)) $((x - 12)),$((y + 6))"
       -draw "line $((x + 3)),$((y - 9)) $((x + 9)),$((y - 3))")
}
g_layout() {
    local c=$1 x=$(($2 / 2)) y=$(($3 / 2))
    G=(-fill none -stroke "$c" -strokewidth 2 -draw "roundrectangle $((x - 14)),$((y - 11)) $((x + 14)),$((y + 9)) 2,2"
       -draw "line $((x - 5)),$((y + 14)) $((x + 5)),$((y + 14))" -draw "line $x,$((y + 9)) $x,$((y + 14))"
       -fill "$c" -stroke none -draw "rectangle $((x + 1)),$((y - 1)) $((x + 11)),$((y + 6))")
}
g_close() {
    local c=$1 x=$(($2 / 2)) y=$(($3 / 2))
    G=(-fill none -stroke "$c" -strokewidth 2 -draw "line $((x - 6)),$((y - 6)) $((x + 6)),$((y + 6))"
       -draw "line $((x + 6)),$((y - 6)) $((x - 6)),$((y + 6))")
}
chevrons() { # colour, width, height, direction dx dy (one of the axes)
    local c=$1 x=$(($2 / 2)) y=$(($3 / 2)) dx=$4 dy=$5 d
    G=(-fill none -stroke "$c" -strokewidth 2)
    for d in -3 4; do
        if [ "$dx" != 0 ]; then
            local tip=$((x + dx * (d + 3)))
            G+=(-draw "polyline $((tip - dx * 5)),$((y - 6)) $tip,$y $((tip - dx * 5)),$((y + 6))")
        else
            local tip=$((y + dy * (d + 3)))
            G+=(-draw "polyline $((x - 6)),$((tip - dy * 5)) $x,$tip $((x + 6)),$((tip - dy * 5))")
        fi
    done
}
g_narrow() { chevrons "$1" "$2" "$3" -1 0; }  # the horizontal bar folds to the left
g_narrow2() { chevrons "$1" "$2" "$3" 1 0; }  # and unfolds to the right
g_narrow3() { chevrons "$1" "$2" "$3" 0 -1; } # the vertical bar folds up
g_narrow4() { chevrons "$1" "$2" "$3" 0 1; }  # and unfolds down
grip() { # colour, width, height, columns, rows
    local c=$1 w=$2 h=$3 cols=$4 rows=$5 i j
    G=(-fill "$c" -stroke none)
    for ((i = 0; i < cols; i++)); do
        for ((j = 0; j < rows; j++)); do
            local px=$((w / 2 - (cols - 1) * 3 + i * 6)) py=$((h / 2 - (rows - 1) * 3 + j * 6))
            G+=(-draw "circle $px,$py $px,$((py - 1))")
        done
    done
}
g_move() { grip "$1" "$2" "$3" 2 4; }
g_move2() { grip "$1" "$2" "$3" 4 2; }

glyph_colour() {
    case $1 in
        normal | hover) echo '#ffffff' ;;
        pressed) echo '#d8eeff' ;;
    esac
}

# button STEM WIDTH HEIGHT GLYPH: the three states of one button.
button() {
    local stem=$1 w=$2 h=$3 glyph=$4 state
    for state in normal hover pressed; do
        local back=()
        case $state in
            hover) back=(-fill 'rgba(255,255,255,0.18)' -stroke none -draw "roundrectangle 2,2 $((w - 3)),$((h - 3)) 6,6") ;;
            pressed) back=(-fill 'rgba(10,124,192,0.75)' -stroke none -draw "roundrectangle 2,2 $((w - 3)),$((h - 3)) 6,6") ;;
        esac
        "$glyph" "$(glyph_colour $state)" "$w" "$h"
        "$IM" -size "${w}x${h}" xc:none "${back[@]}" "${G[@]}" -define png:color-type=6 "${stem}_${state}.png"
    done
}

button btn_rec_t 44 44 g_rec
button btn_cap_t 44 44 g_cap
button btn_live_t 44 44 g_live
button btn_file_t 44 44 g_file
button btn_set_t 44 44 g_set
button btn_pen_t 44 44 g_pen
button btn_layout_t 44 44 g_layout
button btn_close_t 35 35 g_close
button btn_narrow_t 35 35 g_narrow
button btn_narrow2_t 35 35 g_narrow2
button btn_narrow3_t 35 35 g_narrow3
button btn_narrow4_t 35 35 g_narrow4
button btn_move_t 26 44 g_move
button btn_move2_t 44 26 g_move2

# The layout chooser's four pictures, 160 x 120: a screen with the desktop and, by layout, the camera
# windows as the toolbar places them (one at the bottom right; two stacked at the right; a large one
# with a small one in its corner).
layout() { # stem, extra draw arguments of the camera windows...
    local stem=$1 state
    shift
    for state in normal hover pressed; do
        local tile border width
        case $state in
            normal) tile='#f2f2f2'; border='#c8c8c8'; width=1 ;;
            hover) tile='#f7fbfe'; border='#3fb6f5'; width=3 ;;
            pressed) tile='#dcecf8'; border='#0a7cc0'; width=3 ;;
        esac
        "$IM" -size 160x120 xc:none -fill "$tile" -stroke "$border" -strokewidth "$width" \
            -draw "roundrectangle 1,1 158,118 8,8" \
            -fill '#2b2f36' -stroke none -draw "roundrectangle 18,14 141,94 3,3" \
            -fill '#4f8fd6' -draw "rectangle 22,18 137,90" \
            -fill '#2b2f36' -draw "rectangle 72,94 87,102" -draw "roundrectangle 56,102 103,106 2,2" \
            "$@" -define png:color-type=6 "${stem}_${state}.png"
    done
}
layout btn_layout1_t
layout btn_layout2_t -fill '#1b1d22' -draw "rectangle 94,54 134,80" -fill '#d9d9d9' -draw "rectangle 96,58 132,78" \
    -fill '#1b1d22' -draw "circle 114,68 114,65"
layout btn_layout3_t -fill '#1b1d22' -draw "rectangle 94,22 134,48" -fill '#d9d9d9' -draw "rectangle 96,26 132,46" \
    -fill '#1b1d22' -draw "circle 114,36 114,33" \
    -fill '#1b1d22' -draw "rectangle 94,54 134,80" -fill '#d9d9d9' -draw "rectangle 96,58 132,78" \
    -fill '#1b1d22' -draw "circle 114,68 114,65"
layout btn_layout4_t -fill '#1b1d22' -draw "rectangle 40,22 134,80" -fill '#d9d9d9' -draw "rectangle 42,26 132,78" \
    -fill '#1b1d22' -draw "circle 87,52 87,47" \
    -fill '#1b1d22' -draw "rectangle 104,60 134,80" -fill '#eeeeee' -draw "rectangle 106,64 132,78" \
    -fill '#1b1d22' -draw "circle 119,71 119,69"

# Eight bits a channel, no ancillary chunks: the form Qt reads fastest.
../../normalize-png.sh widgets/mainToolbar
