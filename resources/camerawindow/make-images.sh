#!/usr/bin/env bash
# Draws the images of the camera window (ImageMagick). Run from this folder; the PNG files it writes are
# committed beside it, with camerawindow.qrc. Image buttons come as _normal, _hover and _pressed (and
# _disabled or _selected where the window's style sheets ask for them): a white glyph on a clear
# ground, blue while hovered, darker blue while pressed, grey while disabled.
set -euo pipefail
cd "$(dirname "$0")"
IM=/usr/bin/convert
mkdir -p pip cameraWidget

colour() { # state -> glyph colour
    case $1 in
        normal) echo '#ffffff' ;;
        hover) echo '#3fb6f5' ;;
        pressed | selected) echo '#0a7cc0' ;;
        disabled) echo '#777777' ;;
    esac
}

# button STEM WxH "STATES" DRAW-FUNCTION: one image per state, the function prints the draw arguments
# for a glyph colour and the image size.
button() {
    local stem=$1 size=$2 states=$3 glyph=$4
    local w=${size%x*} h=${size#*x}
    for state in $states; do
        local c
        c=$(colour "$state")
        # shellcheck disable=SC2046
        "$IM" -size "$size" xc:none $($glyph "$c" "$w" "$h") -define png:color-type=6 \
            "pip/${stem}_${state}.png"
    done
}

# Glyphs, centred in the image.
g_gear() { local c=$1 x=$(($2 / 2)) y=$(($3 / 2)); echo "-fill none -stroke $c -strokewidth 3 -draw" "circle,$x,$y,$x,$((y - 6))" "-strokewidth 2 -draw" "line,$x,$((y - 10)),$x,$((y + 10))" "-draw" "line,$((x - 10)),$y,$((x + 10)),$y"; }
g_dot() { local c=$1 x=$(($2 / 2)) y=$(($3 / 2)); echo "-fill $c -stroke none -draw" "circle,$x,$y,$x,$((y - 6))"; }
g_ring_dot() { local c=$1 x=$(($2 / 2)) y=$(($3 / 2)); echo "-fill none -stroke $c -strokewidth 2 -draw" "circle,$x,$y,$x,$((y - 9))" "-fill $c -stroke none -draw" "circle,$x,$y,$x,$((y - 5))"; }
g_live() { local c=$1 x=$(($2 / 2)) y=$(($3 / 2)); echo "-fill $c -stroke none -draw" "circle,$x,$y,$x,$((y - 3))" "-fill none -stroke $c -strokewidth 2 -draw" "arc,$((x - 9)),$((y - 9)),$((x + 9)),$((y + 9)),135,225" "-draw" "arc,$((x - 9)),$((y - 9)),$((x + 9)),$((y + 9)),-45,45"; }
g_warn() { local c=$1 x=$(($2 / 2)) y=$(($3 / 2)); echo "-fill #f5b324 -stroke $c -strokewidth 1 -draw" "polygon,$x,$((y - 10)),$((x + 10)),$((y + 8)),$((x - 10)),$((y + 8))" "-fill #333333 -stroke none -draw" "rectangle,$((x - 1)),$((y - 4)),$((x + 1)),$((y + 3))"; }
g_swap() { local c=$1 x=$(($2 / 2)) y=$(($3 / 2)); echo "-fill none -stroke $c -strokewidth 2 -draw" "rectangle,$((x - 9)),$((y - 7)),$((x + 3)),$((y + 2))" "-draw" "rectangle,$((x - 3)),$((y - 2)),$((x + 9)),$((y + 7))"; }
g_min() { local c=$1 x=$(($2 / 2)) y=$(($3 / 2)); echo "-fill none -stroke $c -strokewidth 2 -draw" "line,$((x - 6)),$((y + 4)),$((x + 6)),$((y + 4))"; }
g_max() { local c=$1 x=$(($2 / 2)) y=$(($3 / 2)); echo "-fill none -stroke $c -strokewidth 2 -draw" "rectangle,$((x - 6)),$((y - 6)),$((x + 6)),$((y + 6))"; }
g_cross() { local c=$1 x=$(($2 / 2)) y=$(($3 / 2)); echo "-fill none -stroke $c -strokewidth 2 -draw" "line,$((x - 5)),$((y - 5)),$((x + 5)),$((y + 5))" "-draw" "line,$((x + 5)),$((y - 5)),$((x - 5)),$((y + 5))"; }
g_camera() { local c=$1 x=$(($2 / 2)) y=$(($3 / 2)); echo "-fill none -stroke $c -strokewidth 2 -draw" "roundrectangle,$((x - 14)),$((y - 9)),$((x + 14)),$((y + 11)),3,3" "-draw" "circle,$x,$((y + 1)),$x,$((y - 5))" "-fill $c -stroke none -draw" "rectangle,$((x - 5)),$((y - 12)),$((x + 5)),$((y - 9))"; }
g_keystone() { local c=$1 x=$(($2 / 2)) y=$(($3 / 2)); echo "-fill none -stroke $c -strokewidth 2 -draw" "polygon,$((x - 9)),$((y - 10)),$((x + 9)),$((y - 10)),$((x + 14)),$((y + 10)),$((x - 14)),$((y + 10))" "-draw" "line,$((x - 5)),$((y - 3)),$((x + 5)),$((y - 3))" "-draw" "line,$((x - 7)),$((y + 3)),$((x + 7)),$((y + 3))"; }
g_hq() { local c=$1 x=$(($2 / 2)) y=$(($3 / 2)); echo "-fill none -stroke $c -strokewidth 2 -draw" "roundrectangle,$((x - 14)),$((y - 10)),$((x + 14)),$((y + 10)),3,3" "-draw" "line,$((x - 9)),$((y - 5)),$((x - 9)),$((y + 5))" "-draw" "line,$((x - 3)),$((y - 5)),$((x - 3)),$((y + 5))" "-draw" "line,$((x - 9)),$y,$((x - 3)),$y" "-draw" "circle,$((x + 6)),$y,$((x + 6)),$((y - 5))" "-draw" "line,$((x + 8)),$((y + 3)),$((x + 11)),$((y + 6))"; }
g_down() { local c=$1 x=$(($2 / 2)) y=$(($3 / 2)); echo "-fill $c -stroke none -draw" "polygon,$((x - 5)),$((y - 3)),$((x + 5)),$((y - 3)),$x,$((y + 3))"; }
g_up() { local c=$1 x=$(($2 / 2)) y=$(($3 / 2)); echo "-fill $c -stroke none -draw" "polygon,$((x - 7)),$((y + 4)),$((x + 7)),$((y + 4)),$x,$((y - 5))"; }
g_dw() { local c=$1 x=$(($2 / 2)) y=$(($3 / 2)); echo "-fill $c -stroke none -draw" "polygon,$((x - 7)),$((y - 4)),$((x + 7)),$((y - 4)),$x,$((y + 5))"; }
g_left() { local c=$1 x=$(($2 / 2)) y=$(($3 / 2)); echo "-fill $c -stroke none -draw" "polygon,$((x + 4)),$((y - 7)),$((x + 4)),$((y + 7)),$((x - 5)),$y"; }
g_right() { local c=$1 x=$(($2 / 2)) y=$(($3 / 2)); echo "-fill $c -stroke none -draw" "polygon,$((x - 4)),$((y - 7)),$((x - 4)),$((y + 7)),$((x + 5)),$y"; }
g_rec() { local c=$1 x=$(($2 / 2)) y=$(($3 / 2)); echo "-fill #e10000 -stroke $c -strokewidth 2 -draw" "circle,$x,$y,$x,$((y - 9))"; }
g_pause() { local c=$1 x=$(($2 / 2)) y=$(($3 / 2)); echo "-fill $c -stroke none -draw" "rectangle,$((x - 7)),$((y - 9)),$((x - 2)),$((y + 9))" "-draw" "rectangle,$((x + 2)),$((y - 9)),$((x + 7)),$((y + 9))"; }
g_stop() { local c=$1 x=$(($2 / 2)) y=$(($3 / 2)); echo "-fill $c -stroke none -draw" "rectangle,$((x - 8)),$((y - 8)),$((x + 8)),$((y + 8))"; }
g_unlive() { local c=$1 x=$(($2 / 2)) y=$(($3 / 2)); echo "$(g_live "$c" "$2" "$3")" "-stroke #e10000 -strokewidth 2 -draw" "line,$((x - 10)),$((y + 10)),$((x + 10)),$((y - 10))"; }
g_plus() { local c=$1 x=$(($2 / 2)) y=$(($3 / 2)); echo "-fill none -stroke $c -strokewidth 2 -draw" "line,$((x - 5)),$y,$((x + 5)),$y" "-draw" "line,$x,$((y - 5)),$x,$((y + 5))"; }
g_minus() { local c=$1 x=$(($2 / 2)) y=$(($3 / 2)); echo "-fill none -stroke $c -strokewidth 2 -draw" "line,$((x - 5)),$y,$((x + 5)),$y"; }
# The zoom button's magnifier: a lens with a plus, its handle to the lower right.
g_magnifier() { local c=$1 x=$(($2 / 2 - 3)) y=$(($3 / 2 - 3)); echo "-fill none -stroke $c -strokewidth 3 -draw" "circle,$x,$y,$x,$((y - 9))" "-strokewidth 2 -draw" "line,$((x - 4)),$y,$((x + 4)),$y" "-draw" "line,$x,$((y - 4)),$x,$((y + 4))" "-strokewidth 5 -draw" "line,$((x + 8)),$((y + 8)),$((x + 14)),$((y + 14))"; }
g_mic() { local c=$1 x=$(($2 / 2)) y=$(($3 / 2)); echo "-fill $c -stroke none -draw" "roundrectangle,$((x - 4)),$((y - 11)),$((x + 4)),$((y + 3)),4,4" "-fill none -stroke $c -strokewidth 2 -draw" "arc,$((x - 8)),$((y - 6)),$((x + 8)),$((y + 7)),0,180" "-draw" "line,$x,$((y + 7)),$x,$((y + 11))"; }

# The -draw arguments above use commas in place of blanks so that they pass the word split; undo it.
IM_REAL=$IM
IM=draw_with_blanks
draw_with_blanks() {
    local args=()
    local previous=""
    for a in "$@"; do
        if [ "$previous" = "-draw" ]; then a=${a//,/ }; fi
        args+=("$a")
        previous=$a
    done
    "$IM_REAL" "${args[@]}"
}

button btn_set_p_w 32x30 "normal hover pressed disabled" g_gear
button btn_live_p_w 26x26 "normal hover pressed" g_live
button btn_error_p_w 26x26 "normal hover selected" g_warn
button btn_error_live_td_w 26x26 "normal hover selected" g_warn
button btn_switch_p_w 26x26 "normal hover pressed" g_swap
button btn_s_p 22x22 "normal hover pressed" g_min
button btn_b_p 22x22 "normal hover pressed" g_max
button btn_x_p 22x22 "normal hover pressed" g_cross
button btn_cam_p 91x46 "normal hover pressed disabled" g_camera
button btn_cam_p_l 116x46 "normal hover pressed disabled" g_camera
button btn_cam_keystone_p 91x46 "normal hover pressed disabled" g_keystone
button btn_cam_hd_p_s 91x46 "normal hover pressed disabled" g_hq
button btn_cam_ar_p 25x46 "normal hover pressed disabled" g_down
button btn_rec_red_p 59x46 "normal hover pressed" g_rec
button btn_rec_pause_p 59x46 "normal hover pressed" g_pause
button btn_rec_stop_p 59x46 "normal hover pressed" g_stop
button btn_rec_p 118x46 "normal hover pressed" g_rec
button btn_live_p 116x46 "normal hover pressed" g_live
button btn_unlive_p 116x46 "normal hover pressed" g_unlive
button btn_add_p 20x20 "normal hover pressed disabled" g_plus
button btn_minus_p 20x20 "normal hover pressed disabled" g_minus
button btn_mic_p 40x40 "normal hover pressed disabled" g_mic
button btn_up_p 29x29 "normal hover pressed disabled" g_up
button btn_dw_p 29x29 "normal hover pressed disabled" g_dw
button btn_left_p 29x29 "normal hover pressed disabled" g_left
button btn_right_p 29x29 "normal hover pressed disabled" g_right
button btn_rec_p_w 26x26 "normal" g_ring_dot
button btn_zoom_p 40x40 "normal" g_magnifier
button btn_icon_p_w_war 12x30 "disabled" g_down

# Plain pieces: separators, the top bar ground, the countdown ground, the time-counter tags.
"$IM_REAL" -size 1x30 xc:'#5a5a5a' -define png:color-type=6 pip/line_p_w1.png
"$IM_REAL" -size 1x30 xc:'#5a5a5a' -define png:color-type=6 pip/line_p_w2.png
"$IM_REAL" -size 1x46 xc:'rgba(255,255,255,0.3)' -define png:color-type=6 pip/line_p_w3.png
"$IM_REAL" -size 20x32 xc:'#333333' -define png:color-type=6 pip/bg_p_win32_m.png
"$IM_REAL" -size 221x111 xc:'rgba(0,0,0,0.7)' -define png:color-type=6 pip/bg_black.png
"$IM_REAL" -size 45x16 xc:none -fill '#e10000' -draw "circle 7,8 7,3" -fill '#e10000' \
    -font Liberation-Sans-Bold -pointsize 11 -draw "text 15,12 'REC'" -define png:color-type=6 \
    pip/icon_p_w_time_rec.png
"$IM_REAL" -size 45x16 xc:none -fill '#e10000' -draw "circle 7,8 7,3" -fill '#e10000' \
    -font Liberation-Sans-Bold -pointsize 11 -draw "text 15,12 'LIVE'" -define png:color-type=6 \
    pip/icon_p_w_time_live.png

# The preview overlay while the mouse is over the window (95) and after it left (99): all but clear, so
# that the preview window below shows through while the window still takes the mouse.
"$IM_REAL" -size 16x16 xc:'rgba(0,0,0,0.04)' -define png:color-type=6 cameraWidget/95.png
"$IM_REAL" -size 16x16 xc:'rgba(0,0,0,0.01)' -define png:color-type=6 cameraWidget/99.png

# The resource list.
{
    echo '<!DOCTYPE RCC>'
    echo '<RCC version="1.0">'
    for prefix in pip cameraWidget; do
        echo "    <qresource prefix=\"/$prefix\">"
        for f in $(cd "$prefix" && ls *.png | sort); do
            echo "        <file alias=\"resources/$prefix/$f\">$prefix/$f</file>"
        done
        echo '    </qresource>'
    done
    echo '</RCC>'
} >camerawindow.qrc

# Eight bits a channel, no ancillary chunks: the form Qt reads fastest.
../normalize-png.sh camerawindow
