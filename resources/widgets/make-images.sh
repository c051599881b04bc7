#!/usr/bin/env bash
# Draws the images of the shared widgets and dialogs (ImageMagick). Run from this folder; the PNG and GIF
# files it writes are committed beside it. Buttons come in three images each: _normal, _hover, _pressed.
set -euo pipefail
cd "$(dirname "$0")"
IM=/usr/bin/convert
mkdir -p mainToolbar cameraSetting pip

png() { "$IM" "$@"; }

# Title bar of the message dialogs: light grey, matching the 3 px #e5e5e5 border of their content panel.
# The two 10 x 28 end pieces carry the rounded top corners; the middle piece is stretched.
png -size 10x28 xc:none -fill '#e5e5e5' -draw "roundrectangle 0,0 19,40 7,7" \
    -define png:color-type=6 mainToolbar/bg_win28_l.png
png -size 10x28 xc:none -fill '#e5e5e5' -draw "roundrectangle -10,0 9,40 7,7" \
    -define png:color-type=6 mainToolbar/bg_win28_r.png
png -size 20x28 xc:'#e5e5e5' -define png:color-type=6 mainToolbar/bg_win28_m.png

# Close cross of the title bar, 22 x 22.
cross() { # colour, disc colour, file
    png -size 22x22 xc:none -fill "$2" -stroke none -draw "circle 11,11 11,2" \
        -stroke "$1" -strokewidth 2 -draw "line 7,7 15,15" -draw "line 15,7 7,15" \
        -define png:color-type=6 "$3"
}
cross '#666666' 'none' mainToolbar/btn_x_normal.png
cross '#ffffff' '#e04a3f' mainToolbar/btn_x_hover.png
cross '#ffffff' '#a8322a' mainToolbar/btn_x_pressed.png

# OK button of the dialogs, 75 x 25; the caption is drawn by the button in black.
choose() { # fill, border, file
    png -size 75x25 xc:none -fill "$1" -stroke "$2" -strokewidth 1 \
        -draw "roundrectangle 0,0 74,24 5,5" -define png:color-type=6 "$3"
}
choose '#e5e5e5' '#b2b2b2' cameraSetting/btn_choose_normal.png
choose '#ffffff' '#cccccc' cameraSetting/btn_choose_hover.png
choose '#bdbdbd' '#999999' cameraSetting/btn_choose_pressed.png

# Warning icons, 42 x 38: a triangle with an exclamation mark (b: amber, c: red-orange).
warning() { # fill, file
    png -size 42x38 xc:none -fill "$1" -stroke none -draw "polygon 21,1 41,37 1,37" \
        -fill '#333333' -draw "roundrectangle 19,12 23,27 2,2" -draw "circle 21,32 21,30" \
        -define png:color-type=6 "$2"
}
warning '#f5b324' pip/icon_p_error_b.png
warning '#f06a2a' pip/icon_p_error_c.png

# Background of the camera window's menu bars (46 high, stretched): black at 60 % opacity.
png -size 46x46 xc:'rgba(0,0,0,0.6)' -define png:color-type=6 pip/bg_p_menu46.png

# Capture-mode chooser, 116 x 46 each: a dark rounded tile with the mode's glyph.
tile() { # fill, file
    png -size 116x46 xc:none -fill "$1" -stroke none -draw "roundrectangle 0,0 115,45 6,6" \
        -define png:color-type=6 "$2"
}
camera() { # tile file, glyph colour, extra draw arguments...
    local file=$1 colour=$2
    shift 2
    "$IM" "$file" -fill none -stroke "$colour" -strokewidth 2 \
        -draw "roundrectangle 44,14 72,34 3,3" -draw "circle 58,24 58,19" \
        -fill "$colour" -stroke none -draw "rectangle 52,11 62,14" "$@" \
        -define png:color-type=6 "$file"
}
for state in normal hover pressed; do
    case $state in
        normal) bg='rgba(0,0,0,0.6)'; fg='#ffffff' ;;
        hover) bg='rgba(40,40,40,0.8)'; fg='#ffffff' ;;
        pressed) bg='rgba(0,0,0,0.85)'; fg='#bbbbbb' ;;
    esac
    tile "$bg" pip/btn_cam_2_p_$state.png
    camera pip/btn_cam_2_p_$state.png "$fg"
    tile "$bg" pip/btn_cam_hd_2_p_$state.png
    camera pip/btn_cam_hd_2_p_$state.png "$fg" -fill '#f5b324' -draw "polygon 76,10 86,10 86,20 76,20" \
        -fill '#333333' -draw "rectangle 78,12 79,18" -draw "rectangle 83,12 84,18" -draw "rectangle 80,15 82,15"
    tile "$bg" pip/btn_cam_keystone_2_p_$state.png
    "$IM" pip/btn_cam_keystone_2_p_$state.png -fill none -stroke "$fg" -strokewidth 2 \
        -draw "polygon 48,12 68,12 76,34 40,34" -stroke '#f5b324' -draw "polygon 50,16 66,16 66,30 50,30" \
        -define png:color-type=6 pip/btn_cam_keystone_2_p_$state.png
done

# High-quality capture strip: rounded end pieces, 8 x 30, black at 60 % like the strip's middle.
png -size 8x30 xc:none -fill 'rgba(0,0,0,0.6)' -draw "roundrectangle 0,0 15,29 7,7" \
    -define png:color-type=6 pip/bg_hq_capturing_l.png
png -size 8x30 xc:none -fill 'rgba(0,0,0,0.6)' -draw "roundrectangle -8,0 7,29 7,7" \
    -define png:color-type=6 pip/bg_hq_capturing_r.png

# Capture-running animation, 20 x 20: eight dots round a circle, the bright one moving on each frame.
frames=()
for i in 0 1 2 3 4 5 6 7; do
    args=()
    for k in 0 1 2 3 4 5 6 7; do
        angle=$(awk -v k=$k 'BEGIN { print k * 3.14159265 / 4 }')
        x=$(awk -v a=$angle 'BEGIN { printf "%.1f", 10 + 7 * sin(a) }')
        y=$(awk -v a=$angle 'BEGIN { printf "%.1f", 10 - 7 * cos(a) }')
        age=$(( (i - k + 8) % 8 ))
        grey=$(( 255 - age * 22 ))
        args+=(-fill "rgb($grey,$grey,$grey)" -draw "circle $x,$y $x,$(awk -v y=$y 'BEGIN { print y + 1.6 }')")
    done
    "$IM" -size 20x20 xc:none "${args[@]}" /tmp/widgets-spinner-$i.png
    frames+=(/tmp/widgets-spinner-$i.png)
done
"$IM" -delay 10 -loop 0 -dispose background "${frames[@]}" pip/HQ-Capturing-loading.gif
rm -f "${frames[@]}"

# Eight bits a channel, no ancillary chunks: the form Qt reads fastest.
../normalize-png.sh widgets
