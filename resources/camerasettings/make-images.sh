#!/usr/bin/env bash
# Draws the images of the camera settings dialog (ImageMagick). Run from this folder; the PNG files it
# writes are committed beside it, so the build needs no ImageMagick. The choose-button images other than
# the disabled one come with the shared widgets (resources/widgets).
set -euo pipefail
cd "$(dirname "$0")"
IM=/usr/bin/convert
[ -x "$IM" ] || IM=convert
FONT=/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf
mkdir -p cameraSetting
out() { "$IM" "$@"; }
rgba() { echo -define png:color-type=6 "$1"; }

# Disabled choose button, 75 x 25, beside the shared normal, hover and pressed ones.
out -size 75x25 xc:none -fill '#555555' -stroke '#4a4a4a' -strokewidth 1 \
    -draw "roundrectangle 0,0 74,24 5,5" $(rgba cameraSetting/btn_choose_disabled.png)

# Menu entry boxes, 320 x 60: light rounded tiles (the caption is drawn black on them).
menu() { # fill, border, file
    out -size 320x60 xc:none -fill "$1" -stroke "$2" -strokewidth 1 \
        -draw "roundrectangle 0,0 319,59 6,6" $(rgba "$3")
}
menu '#e5e5e5' '#b2b2b2' cameraSetting/btn_basic_pc_normal.png
menu '#ffffff' '#009bef' cameraSetting/btn_basic_pc_hover.png
menu '#bdbdbd' '#999999' cameraSetting/btn_basic_pc_pressed.png
menu '#5a5a5a' '#4a4a4a' cameraSetting/btn_basic_pc_disabled.png

# Image-setting glyph: three slider tracks with knobs, 40 x 40.
sliders() { # colour, file
    out -size 40x40 xc:none -stroke "$1" -strokewidth 3 \
        -draw "line 6,10 34,10" -draw "line 6,20 34,20" -draw "line 6,30 34,30" \
        -fill "$1" -draw "circle 14,10 14,6" -draw "circle 26,20 26,16" -draw "circle 18,30 18,26" \
        $(rgba "$2")
}
sliders '#333333' cameraSetting/icon_pc_set.png
sliders '#8a8a8a' cameraSetting/icon_pc_set_disabled.png
sliders '#ffffff' cameraSetting/icon_pc_set_w.png
# Advanced image setting: the slider glyph with a small gear dot.
out cameraSetting/icon_pc_set_w.png -fill '#009bef' -stroke none -draw "circle 32,32 32,27" \
    -fill '#333333' -draw "circle 32,32 32,30" $(rgba cameraSetting/icon_pc_adset_w.png)

# Video glyph: a camera body with its lens cone, 40 x 40 (53 x 38 for the restart pages).
video() { # size, colour, body, cone, file
    out -size "$1" xc:none -fill "$2" -stroke none -draw "roundrectangle $3 3,3" -draw "polygon $4" \
        $(rgba "$5")
}
video 40x40 '#333333' '4,12 27,28' '28,20 37,13 37,27' cameraSetting/icon_pc_video.png
video 40x40 '#8a8a8a' '4,12 27,28' '28,20 37,13 37,27' cameraSetting/icon_pc_video_disabled.png
video 40x40 '#ffffff' '4,12 27,28' '28,20 37,13 37,27' cameraSetting/icon_pc_video_w.png
video 53x38 '#009bef' '6,8 36,30' '37,19 50,10 50,28' cameraSetting/icon_pc_video_b.png

# Microphone glyph, white, 40 x 40.
out -size 40x40 xc:none -fill '#ffffff' -stroke none -draw "roundrectangle 15,5 25,24 5,5" \
    -fill none -stroke '#ffffff' -strokewidth 2 -draw "arc 10,12 30,30 0,180" \
    -draw "line 20,30 20,35" -draw "line 14,35 26,35" $(rgba cameraSetting/icon_cs_mic_w.png)

# Back arrow, 25 x 25.
back() { # disc, arrow, file
    out -size 25x25 xc:none -fill "$1" -stroke none -draw "circle 12,12 12,1" \
        -fill none -stroke "$2" -strokewidth 2 -draw "polyline 14,7 8,12 14,17" -draw "line 8,12 18,12" \
        $(rgba "$3")
}
back '#555555' '#ffffff' cameraSetting/btn_back_pc_normal.png
back '#009bef' '#ffffff' cameraSetting/btn_back_pc_hover.png
back '#00679f' '#dddddd' cameraSetting/btn_back_pc_pressed.png

# Automatic white balance toggle, 35 x 35: "A" on a round button; pressed is the latched look.
auto() { # disc, letter, file[, ring]
    out -size 35x35 xc:none -fill "$1" -stroke "${4:-#808080}" -strokewidth 1 -draw "circle 17,17 17,2" \
        -fill "$2" -stroke none -font "$FONT" -pointsize 16 -gravity center -annotate +0+0 'A' \
        $(rgba "$3")
}
auto '#333333' '#ffffff' cameraSetting/btn_auto_pc_normal.png
auto '#555555' '#ffffff' cameraSetting/btn_auto_pc_hover.png
auto '#009bef' '#ffffff' cameraSetting/btn_auto_pc_pressed.png
# Disabled, for a camera without automatic white balance: greyed as the row's captions are.
auto '#333333' '#5a5a5a' cameraSetting/btn_auto_pc_disabled.png '#4c4c4c'

# Slider handles, 30 x 30: a round knob, blue while the control works, grey while it does not.
knob() { # colour, file
    out -size 30x30 xc:none -fill "$1" -stroke '#ffffff' -strokewidth 2 -draw "circle 15,15 15,6" \
        $(rgba "$2")
}
knob '#009bef' cameraSetting/icon_p_blue.png
knob '#6a6a6a' cameraSetting/icon_p_gray.png

# Drop-down arrows of the combo boxes, 12 x 8.
arrow() { # colour, file
    out -size 12x8 xc:none -fill "$1" -stroke none -draw "polygon 1,1 11,1 6,7" $(rgba "$2")
}
arrow '#ffffff' cameraSetting/icon_p_w_war.png
arrow '#4c4c4c' cameraSetting/icon_p_w_war_disabled.png

# Eight bits a channel, no ancillary chunks: the form Qt reads fastest.
../normalize-png.sh camerasettings
