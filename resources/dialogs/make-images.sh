#!/usr/bin/env bash
# Draws the images of the live-stream, general settings and update dialogs (ImageMagick). Run from this
# folder; the PNG files it writes are committed beside it. Buttons come as _normal, _hover, _pressed
# (and _disabled where a button can be switched off); the settings tabs as _normal, _hover and _pressed
# (the selected tab, drawn in the page's own grey so it joins the page below).
set -euo pipefail
cd "$(dirname "$0")"
IM=/usr/bin/convert
mkdir -p liveStream setting

png() { "$IM" -define png:color-type=6 -depth 8 "$@"; }

# Close icon of the update pages, 22 x 22: a dark cross for their light grey.
png -size 22x22 xc:none -stroke '#4c4c4c' -strokewidth 2 -draw "line 6,6 15,15" -draw "line 15,6 6,15" \
    liveStream/close.png

# Apply / Yes / No buttons, 75 x 25 (the update pages stretch them by their 6 px corners); the caption
# is drawn by the button.
choose() { # fill, border, file
    png -size 75x25 xc:none -fill "$1" -stroke "$2" -strokewidth 1 -draw "roundrectangle 0,0 74,24 6,6" "$3"
}
choose '#f4f4f4' '#b2b2b2' setting/btn_choose_normal.png
choose '#ffffff' '#009bef' setting/btn_choose_hover.png
choose '#cfe9f8' '#0078bb' setting/btn_choose_pressed.png
choose '#d9d9d9' '#c4c4c4' setting/btn_choose_disabled.png

# Drop-down arrow of the combo boxes, 12 x 8: mid grey, readable on the dark dialog and the light page.
png -size 12x8 xc:none -fill '#808080' -draw "polygon 1,1 11,1 6,7" setting/icon_p_w_bar.png

# Separator in the title bar, 1 x 28.
png -size 1x28 xc:none -fill '#b2b2b2' -draw "rectangle 0,4 0,23" setting/line_os_w1.png

# Help button of the title bar, 22 x 22: a question mark in a ring.
help() { # ring and mark colour, disc colour, file
    png -size 22x22 xc:none -fill "$2" -stroke "$1" -strokewidth 1.5 -draw "circle 11,11 11,2" \
        -fill none -strokewidth 2 -draw "arc 7.5,5.5 14.5,12.5 180,80" -draw "line 11,12 11,14" \
        -stroke none -fill "$1" -draw "circle 11,17 11,16" "$3"
}
help '#666666' 'none' setting/btn_help_os_normal.png
help '#ffffff' '#009bef' setting/btn_help_os_hover.png
help '#ffffff' '#0078bb' setting/btn_help_os_pressed.png

# Settings tabs, 134 x 60: a tile with the tab's glyph; a line on the right parts it from its neighbour.
tab() { # file, background, glyph colour, glyph drawing arguments...
    local file=$1 bg=$2 fg=$3
    shift 3
    png -size 134x60 xc:"$bg" -fill '#c4c4c4' -draw "rectangle 133,10 133,49" \
        -fill none -stroke "$fg" -strokewidth 2.5 "$@" "$file"
}
globe=(-draw "circle 67,30 67,14" -draw "ellipse 67,30 7,16 0,360" -draw "line 51,30 83,30"
       -draw "line 54,22 80,22" -draw "line 54,38 80,38")
upgrade=(-draw "line 67,13 67,37" -draw "polyline 58,28 67,37 76,28" -draw "polyline 53,38 53,46 81,46 81,38")
stream=(-draw "circle 67,30 67,26" -draw "arc 57,20 77,40 130,230" -draw "arc 57,20 77,40 310,50"
        -draw "arc 50,13 84,47 135,225" -draw "arc 50,13 84,47 315,45")
for state in normal:'#d4d4d4':'#7a7a7a' hover:'#dcdcdc':'#009bef' pressed:'#e5e5e5':'#009bef'; do
    IFS=: read -r name bg fg <<<"$state"
    tab "setting/btn_language_os_$name.png" "$bg" "$fg" "${globe[@]}"
    tab "setting/btn_upgrade_os_$name.png" "$bg" "$fg" "${upgrade[@]}"
    tab "setting/btn_streaming_os_$name.png" "$bg" "$fg" "${stream[@]}"
done

# Eight bits a channel, no ancillary chunks: the form Qt reads fastest.
../normalize-png.sh dialogs
