#!/usr/bin/env bash
# Draws the images of the record and live panel (ImageMagick). Run from this folder; the PNG files it
# writes are committed beside it. Every button has four images: _normal, _hover, _pressed (_selected for
# the two warning buttons) and _disabled, each exactly the size of its button, since the panel's style
# sheets draw them as backgrounds.
#
# The look: a light grey title bar with rounded top corners over a near-white body with a thin border
# and rounded bottom corners; glyphs in dark grey, record in red, live in blue.
set -euo pipefail
cd "$(dirname "$0")"
IM=/usr/bin/convert

# The last argument is the file written, always with an alpha channel.
png() { "$IM" "${@:1:$#-1}" -define png:color-type=6 "${@: -1}"; }

TITLE='#e5e5e5'
BODY='#fafafa'
EDGE='#cfcfcf'
INK='#4c4c4c'
RED='#e10000'
BLUE='#009bef'
OFF='#c4c4c4'

# Title bar: 7 x 28 left end and 10 x 28 right end with the rounded corners, a middle piece stretched.
png -size 7x28 xc:none -fill "$TITLE" -draw "roundrectangle 0,0 19,40 7,7" bg_win28_l.png
png -size 10x28 xc:none -fill "$TITLE" -draw "roundrectangle -10,0 9,40 7,7" bg_win28_r.png
png -size 20x28 xc:"$TITLE" bg_win28_m.png

# Separator in the title row, 1 x 28.
png -size 1x28 xc:none -fill '#b2b2b2' -draw "rectangle 0,6 0,21" line_td_w1.png

# Body of the lower part, 220 x 109: one page, or the record and live halves side by side. The audio
# row below y 70 is set off by a hairline.
body() { # file, extra draw arguments...
    local file=$1
    shift
    png -size 220x109 xc:none -fill "$BODY" -stroke "$EDGE" -strokewidth 1 \
        -draw "roundrectangle 0,-10 219,108 7,7" \
        -stroke '#e5e5e5' -draw "line 8,70 211,70" "$@" "$file"
}
body bg_td_win_one.png
body bg_td_win.png -stroke '#e5e5e5' -draw "line 110,6 110,64"

# Full-screen countdown background: black at 60 %, tiled.
png -size 8x8 xc:'rgba(0,0,0,0.6)' bg_black.png

# Volume handle, 30 x 30: a round knob in the middle, blue while the volume can be changed, grey not.
knob() { # fill, file
    png -size 30x30 xc:none -fill "$1" -stroke '#ffffff' -strokewidth 2 -draw "circle 15,15 15,8" "$2"
}
knob "$BLUE" icon_p_blue.png
knob '#9a9a9a' icon_p_gray.png

# Time icons, 37 x 16: a dot and a word; they blink beside the running times.
timeicon() { # colour, word, file
    png -size 37x16 xc:none -fill "$1" -draw "circle 5,8 5,4" \
        -font Liberation-Sans-Bold -pointsize 10 -annotate +12+12 "$2" "$3"
}
timeicon "$RED" REC icon_td_time_rec.png
timeicon "$BLUE" LIVE icon_td_time_live.png

# A button in its four states: a soft rounded plate behind the glyph on hover and press, the glyph
# greyed when disabled. glyph is a function drawing onto the file with a colour.
button() { # width, height, base, glyph function, glyph colour, pressed suffix
    local w=$1 h=$2 base=$3 glyph=$4 colour=$5 pressed=${6:-pressed}
    local state plate ink
    for state in normal hover "$pressed" disabled; do
        case $state in
            normal) plate=none; ink=$colour ;;
            hover) plate='#ececec'; ink=$colour ;;
            disabled) plate=none; ink=$OFF ;;
            *) plate='#dcdcdc'; ink=$colour ;;
        esac
        png -size "${w}x${h}" xc:none -fill "$plate" -draw "roundrectangle 1,1 $((w - 2)),$((h - 2)) 5,5" \
            "${base}_${state}.png"
        "$glyph" "${base}_${state}.png" "$ink" "$w" "$h"
    done
}

draw() { # file, then ImageMagick drawing arguments
    local file=$1
    shift
    png "$file" "$@" "$file"
}

glyph_record() { local cx=$(($3 / 2)) cy=$(($4 / 2)); draw "$1" -fill "$2" -draw "circle $cx,$cy $cx,$((cy - 9))"; }
glyph_pause() {
    local cx=$(($3 / 2)) cy=$(($4 / 2))
    draw "$1" -fill "$2" -draw "roundrectangle $((cx - 8)),$((cy - 9)) $((cx - 3)),$((cy + 9)) 1,1" \
        -draw "roundrectangle $((cx + 3)),$((cy - 9)) $((cx + 8)),$((cy + 9)) 1,1"
}
glyph_stop() {
    local cx=$(($3 / 2)) cy=$(($4 / 2))
    draw "$1" -fill "$2" -draw "roundrectangle $((cx - 8)),$((cy - 8)) $((cx + 8)),$((cy + 8)) 2,2"
}
# Live: a dot with two waves on each side; stop live: a square with the same waves.
waves=()
set_waves() { # cx, cy
    local cx=$1 cy=$2
    waves=(-draw "arc $((cx - 11)),$((cy - 11)) $((cx + 11)),$((cy + 11)) 135,225"
           -draw "arc $((cx - 11)),$((cy - 11)) $((cx + 11)),$((cy + 11)) -45,45"
           -draw "arc $((cx - 17)),$((cy - 17)) $((cx + 17)),$((cy + 17)) 140,220"
           -draw "arc $((cx - 17)),$((cy - 17)) $((cx + 17)),$((cy + 17)) -40,40")
}
glyph_live() {
    local cx=$(($3 / 2)) cy=$(($4 / 2))
    set_waves "$cx" "$cy"
    draw "$1" -fill none -stroke "$2" -strokewidth 2 "${waves[@]}" \
        -stroke none -fill "$2" -draw "circle $cx,$cy $cx,$((cy - 5))"
}
glyph_unlive() {
    local cx=$(($3 / 2)) cy=$(($4 / 2)) waveink=$OFF
    [ "$2" = "$OFF" ] && waveink='#e0e0e0'
    set_waves "$cx" "$cy"
    draw "$1" -fill none -stroke "$waveink" -strokewidth 2 "${waves[@]}" \
        -stroke none -fill "$2" -draw "roundrectangle $((cx - 5)),$((cy - 5)) $((cx + 5)),$((cy + 5)) 1,1"
}
glyph_warning() {
    draw "$1" -fill "$2" -draw "polygon 13,3 24,22 2,22" \
        -fill '#ffffff' -draw "roundrectangle 12,9 14,16 1,1" -draw "circle 13,19 13,18"
}
glyph_collapse() { draw "$1" -fill none -stroke "$2" -strokewidth 2 -draw "polyline 6,13 11,8 16,13"; }
glyph_expand() { draw "$1" -fill none -stroke "$2" -strokewidth 2 -draw "polyline 6,9 11,14 16,9"; }
glyph_close() { draw "$1" -fill none -stroke "$2" -strokewidth 2 -draw "line 7,7 15,15" -draw "line 15,7 7,15"; }
glyph_minus() { draw "$1" -fill none -stroke "$2" -strokewidth 2 -draw "line 5,10 15,10"; }
glyph_plus() { draw "$1" -fill none -stroke "$2" -strokewidth 2 -draw "line 5,10 15,10" -draw "line 10,5 10,15"; }
glyph_mic() {
    draw "$1" -fill "$2" -draw "roundrectangle 13,6 21,20 4,4" \
        -fill none -stroke "$2" -strokewidth 2 -draw "arc 9,11 25,25 0,180" \
        -draw "line 17,25 17,29" -draw "line 12,29 22,29"
}

button 55 48 btn_rec_red_td glyph_record "$RED"
button 55 48 btn_rec_pause_td glyph_pause "$INK"
button 55 48 btn_rec_stop_td glyph_stop "$INK"
button 80 48 btn_rec_red_td_one glyph_record "$RED"
button 80 48 btn_rec_pause_td_one glyph_pause "$INK"
button 80 48 btn_rec_stop_td_one glyph_stop "$INK"
button 110 48 btn_live_td glyph_live "$BLUE"
button 110 48 btn_unlive_td glyph_unlive "$RED"
button 220 48 btn_live_td_one glyph_live "$BLUE"
button 220 48 btn_unlive_td_one glyph_unlive "$RED"
button 26 26 btn_error_td_w glyph_warning '#f5a623' selected
button 26 26 btn_error_live_td_w glyph_warning '#f0562a' selected
button 22 22 btn_f1_td glyph_collapse "$INK"
button 22 22 btn_f2_td glyph_expand "$INK"
button 22 22 btn_x_td glyph_close "$INK"
button 20 20 btn_minus_p glyph_minus "$INK"
button 20 20 btn_add_p glyph_plus "$INK"
button 35 35 btn_mic_td glyph_mic "$INK"

# Eight bits a channel, no ancillary chunks: the form Qt reads fastest.
../normalize-png.sh deskpad
