#!/usr/bin/env bash
# Draws the annotation library's own images (ImageMagick) and its capture sound (ffmpeg), and
# writes the resource collection that lists them. Run from anywhere; the files it writes are
# committed beside it.
#
#   icons/cursor/        the editor's move and select cursors
#   icons/button/        the shape picker's and text panel's buttons (":/icons/icons/button/")
#   resource/button/     toolbar and sub-toolbar buttons, per screen edge where the owner button
#                        shows the chosen style (":/resource/button/")
#   resource/skin/       toolbar frame pieces, pop-up panels and separators (":/resource/skin/")
#   resource/cursor/     drawing tool cursors (":/resource/cursor/")
#   resource/sound/      the capture sound (":/resource/sound/")
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p icons/cursor icons/button resource/button resource/skin resource/cursor resource/sound

convert=/usr/bin/convert
font=Liberation-Sans-Bold
italic=Liberation-Sans-Bold-Italic

# Glyph colours by button state, and the plates behind them.
fg_normal="#e9edf2"; fg_pressed="#ffffff"; fg_selected="#ffffff"; fg_disabled="#6c7480"
plate_pressed="#4c5766"; plate_selected="#2f86d6"

# png ARGS... OUT: convert with the output options in front of the output file.
png() { local out=${*: -1}; "$convert" "${@:1:$#-1}" -define png:color-type=6 -strip "$out"; }

# state_plate STATE W H: the draw arguments of the plate behind the glyph.
state_plate() {
    local state=$1 w=$2 h=$3
    case $state in
        pressed) echo "-fill '$plate_pressed' -stroke none -draw 'roundrectangle 2,2 $((w - 3)),$((h - 3)) 7,7'" ;;
        selected) echo "-fill '$plate_selected' -stroke none -draw 'roundrectangle 2,2 $((w - 3)),$((h - 3)) 7,7'" ;;
        *) echo "" ;;
    esac
}

state_fg() {
    case $1 in
        normal) echo "$fg_normal" ;; pressed) echo "$fg_pressed" ;;
        selected) echo "$fg_selected" ;; disabled) echo "$fg_disabled" ;;
    esac
}

# Edge marker of an owner button: a small triangle on the side its pop-up opens to.
edge_marker() {
    case $1 in
        top) echo "polygon 34,37 42,37 38,42" ;;
        bottom) echo "polygon 34,7 42,7 38,2" ;;
        left) echo "polygon 37,34 37,42 42,38" ;;
        right) echo "polygon 7,34 7,42 2,38" ;;
    esac
}

# button OUT_BASE W H GLYPH [EDGE]: the four state images of one button. GLYPH is a string of
# ImageMagick options drawing on the canvas; FG in it stands for the state's glyph colour.
button() {
    local base=$1 w=$2 h=$3 glyph=$4 edge=${5:-}
    local state fg plate marker
    for state in normal pressed selected disabled; do
        fg=$(state_fg "$state")
        plate=$(state_plate "$state" "$w" "$h")
        marker=()
        [ -n "$edge" ] && marker=(-stroke none -fill "$fg" -draw "$(edge_marker "$edge")")
        # shellcheck disable=SC2086
        eval "png -size ${w}x${h} xc:none ${plate} -strokewidth 1 ${glyph//FG/\"$fg\"} \"\${marker[@]}\" \"${base}_${state}.png\""
    done
}

# --- the editor's cursors ------------------------------------------------------------------------
# Move cursor: a four-way arrow, black with a white rim so it shows on any background; hot spot in the
# middle (21, 21) of its 44 x 44 pixels.
"$convert" -size 44x44 xc:none \
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
    -define png:color-type=6 -strip icons/cursor/cursor_move.png

# Select cursor: a pointing arrow, black with a white rim, whose tip is the hot spot (5, 10).
"$convert" -size 44x44 xc:none \
    -stroke white -strokewidth 3 -fill black \
    -draw "polygon 5,10 5,38 12,31 17,42 22,40 17,29 27,29" \
    -stroke black -strokewidth 1 -fill black \
    -draw "polygon 6,13 6,35 12,29 17,39 20,38 15,27 24,27" \
    -define png:color-type=6 -strip icons/cursor/cursor_select.png

# ---------------------------------------------------------------------------------------------
# Glyphs (44 x 44 unless said otherwise). Quoting: each is one string eval'd into the command.

g_mouse="-fill FG -stroke none -draw 'polygon 15,8 15,33 21,27 25,36 29,34 25,25 33,25'"
g_whiteboard="-fill none -stroke FG -strokewidth 2.5 -draw 'roundrectangle 8,9 36,29 2,2' -draw 'line 16,30 12,37' -draw 'line 28,30 32,37' -strokewidth 2 -draw 'line 13,15 25,15' -draw 'line 13,21 30,21'"
g_picture="-fill none -stroke FG -strokewidth 2.5 -draw 'rectangle 8,10 36,34' -stroke none -fill FG -draw 'polygon 10,32 18,21 24,28 28,24 34,32' -draw 'circle 29,16 31,16'"
g_undo="-fill none -stroke FG -strokewidth 3 -draw \"path 'M 15,18 L 25,18 C 34,18 34,33 25,33 L 16,33'\" -stroke none -fill FG -draw 'polygon 7,18 16,11 16,25'"
g_redo="-fill none -stroke FG -strokewidth 3 -draw \"path 'M 29,18 L 19,18 C 10,18 10,33 19,33 L 28,33'\" -stroke none -fill FG -draw 'polygon 37,18 28,11 28,25'"
g_camera="-fill none -stroke FG -strokewidth 2.5 -draw 'roundrectangle 8,14 36,33 3,3' -draw 'circle 22,23.5 22,29' -stroke none -fill FG -draw 'rectangle 16,10 27,14' -draw 'circle 32,18 33,18'"
g_select="-fill none -stroke FG -strokewidth 1.5 -draw 'stroke-dasharray 3 2 rectangle 6,6 37,37' -stroke none -fill FG -draw 'polygon 15,11 15,31 20,26 24,34 27,32 23,24 30,24'"
g_freehand="-fill none -stroke FG -strokewidth 3 -draw \"path 'M 8,31 C 13,18 18,38 24,25 S 31,14 36,12'\""
g_highlighter="-fill none -stroke FG -strokewidth 6 -draw 'stroke-opacity 0.45 line 8,34 36,34' -strokewidth 2 -draw 'stroke-opacity 1 polygon 14,27 26,10 33,15 21,32' -stroke none -fill FG -draw 'polygon 14,27 21,32 13,33'"
g_line="-fill none -stroke FG -strokewidth 3 -draw 'line 10,34 34,10'"
g_text="-fill FG -stroke none -font $font -pointsize 30 -gravity center -annotate +0+1 T -gravity northwest"
g_eraser="-fill none -stroke FG -strokewidth 2.5 -draw 'polygon 9,27 22,13 35,25 22,38' -fill FG -stroke none -draw 'polygon 9,27 15,21 28,32 22,38' -stroke FG -strokewidth 2 -draw 'line 22,38 36,38'"
g_linestyle="-fill FG -stroke none -draw 'rectangle 9,12 35,13' -draw 'rectangle 9,20 35,23' -draw 'rectangle 9,29 35,34'"
g_clear="-fill none -stroke FG -strokewidth 2.5 -draw 'polygon 13,15 31,15 29,36 15,36' -draw 'line 9,14 35,14' -draw 'rectangle 18,9 26,13' -strokewidth 2 -draw 'line 19,19 19,32' -draw 'line 25,19 25,32'"
g_back="-fill none -stroke FG -strokewidth 2.5 -draw 'rectangle 16,8 28,29' -fill FG -stroke none -draw 'polygon 5,19 12,13 12,25' -stroke FG -strokewidth 3 -draw 'line 11,19 22,19'"
g_shrink_narrow="-fill none -stroke FG -strokewidth 3 -draw 'polyline 17,10 10,18 17,26' -draw 'polyline 26,10 19,18 26,26'"
g_shrink_width="-fill none -stroke FG -strokewidth 3 -draw 'polyline 10,10 17,18 10,26' -draw 'polyline 19,10 26,18 19,26'"
g_shrink_narrow_v="-fill none -stroke FG -strokewidth 3 -draw 'polyline 9,18 17,11 25,18' -draw 'polyline 9,27 17,20 25,27'"
g_shrink_width_v="-fill none -stroke FG -strokewidth 3 -draw 'polyline 9,11 17,18 25,11' -draw 'polyline 9,20 17,27 25,20'"

shape_glyph() {
    case $1 in
        rectangle) echo "-fill none -stroke FG -strokewidth 3 -draw 'rectangle 9,11 35,33'" ;;
        solid-rectangle) echo "-fill FG -stroke FG -strokewidth 1 -draw 'rectangle 9,11 35,33'" ;;
        circle) echo "-fill none -stroke FG -strokewidth 3 -draw 'circle 22,22 22,9'" ;;
        solid-circle) echo "-fill FG -stroke FG -strokewidth 1 -draw 'circle 22,22 22,9'" ;;
        triangle) echo "-fill none -stroke FG -strokewidth 3 -draw 'polygon 22,8 36,34 8,34'" ;;
        solid-triangle) echo "-fill FG -stroke FG -strokewidth 1 -draw 'polygon 22,8 36,34 8,34'" ;;
    esac
}

# A colour disc; "more-colors" is a wheel of six wedges.
color_glyph() {
    local name=$1 hex=$2
    if [ "$name" = more-colors ]; then
        local wedges="" i angle x1 y1 x2 y2
        local colours=("#fe0000" "#fff100" "#22b04c" "#29aae1" "#5b3fd1" "#e040a0")
        for i in 0 1 2 3 4 5; do
            read -r x1 y1 x2 y2 < <(awk -v i="$i" 'BEGIN { pi = atan2(0, -1); a = i * pi / 3 - pi / 2; b = a + pi / 3;
                printf "%.2f %.2f %.2f %.2f", 22 + 13 * cos(a), 22 + 13 * sin(a), 22 + 13 * cos(b), 22 + 13 * sin(b) }')
            wedges+=" -fill '${colours[$i]}' -draw \"path 'M 22,22 L $x1,$y1 A 13,13 0 0,1 $x2,$y2 Z'\""
        done
        echo "-stroke none $wedges -fill none -stroke FG -strokewidth 2 -draw 'circle 22,22 22,8'"
    else
        echo "-fill '$hex' -stroke FG -strokewidth 2 -draw 'circle 22,22 22,9'"
    fi
}

# --- main toolbar buttons ----------------------------------------------------------------------
b=resource/button
for entry in mouse:g_mouse whiteboard:g_whiteboard insert-picture:g_picture undo:g_undo redo:g_redo \
             select:g_select freehand:g_freehand highlighter:g_highlighter line:g_line text:g_text \
             eraser:g_eraser clear-all:g_clear; do
    glyph=${entry#*:}
    button $b/btn_${entry%%:*} 44 44 "${!glyph}"
done
# The frame's own buttons are 35 x 37.
for entry in back:g_back shrink_narrow:g_shrink_narrow shrink_width:g_shrink_width \
             shrink_narrow_V:g_shrink_narrow_v shrink_width_V:g_shrink_width_v; do
    glyph=${entry#*:}
    button $b/btn_${entry%%:*} 35 37 "${!glyph}"
done

for edge in top bottom left right; do
    button $b/btn_screen-capture_$edge 44 44 "$g_camera" $edge
    button $b/btn_line-style_$edge 44 44 "$g_linestyle" $edge
    for shape in rectangle solid-rectangle circle solid-circle solid-triangle; do
        button $b/btn_shape_${shape}_$edge 44 44 "$(shape_glyph $shape)" $edge
    done
    button $b/btn_shape-triangle_$edge 44 44 "$(shape_glyph triangle)" $edge
done

# The drag handle: two columns of grip dots, 22 x 44.
for state in normal pressed; do
    fill=$([ $state = normal ] && echo "#8a94a3" || echo "#ffffff")
    dots=""
    for y in 8 14 20 26 32; do dots+=" -draw 'circle 8,$y 9.5,$y' -draw 'circle 14,$y 15.5,$y'"; done
    eval "png -size 22x44 xc:none -fill '$fill' -stroke none $dots $b/btn_move_$state.png"
done

# --- colour sub-toolbar and the colour button per edge -----------------------------------------
declare -A colours=([red]="#fe0000" [yellow]="#fff100" [green]="#22b04c" [blue]="#29aae1"
                    [black]="#000000" [white]="#ffffff" [more-colors]="")
for name in red yellow green blue black white more-colors; do
    glyph=$(color_glyph "$name" "${colours[$name]}")
    button $b/btn_color_$name 44 44 "$glyph"
    for edge in top bottom left right; do
        button $b/btn_color_${name}_$edge 44 44 "$glyph" $edge
    done
done

# --- width and line-style sub-toolbar -----------------------------------------------------------
button $b/btn_line-style_small 44 44 "-fill FG -stroke none -draw 'roundrectangle 9,21 35,23 1,1'"
button $b/btn_line-style_mmedium 44 44 "-fill FG -stroke none -draw 'roundrectangle 9,20 35,24 2,2'"
button $b/btn_line-style_large 44 44 "-fill FG -stroke none -draw 'roundrectangle 9,18 35,26 4,4'"
button $b/btn_line-style_12 44 44 "-fill '#f5d300' -stroke none -draw 'roundrectangle 9,19 35,25 2,2' -fill FG -font $font -pointsize 9 -annotate +30+39 12"
button $b/btn_line-style_16 44 44 "-fill '#f5d300' -stroke none -draw 'roundrectangle 9,18 35,26 3,3' -fill FG -font $font -pointsize 9 -annotate +30+39 16"
button $b/btn_line-style_20 44 44 "-fill '#f5d300' -stroke none -draw 'roundrectangle 9,17 35,27 4,4' -fill FG -font $font -pointsize 9 -annotate +30+39 20"
button $b/btn_line-style__solid 44 44 "-fill none -stroke FG -strokewidth 3 -draw 'line 8,22 36,22'"
button $b/btn_line-style_dashed 44 44 "-fill FG -stroke none -draw 'rectangle 8,21 13,23' -draw 'rectangle 17,21 22,23' -draw 'rectangle 26,21 31,23' -draw 'rectangle 35,21 36,23'"
button $b/btn_line-style_arrow1 44 44 "-fill none -stroke FG -strokewidth 3 -draw 'line 8,22 29,22' -stroke none -fill FG -draw 'polygon 37,22 27,15 27,29'"
button $b/btn_line-style_arrow2 44 44 "-fill none -stroke FG -strokewidth 3 -draw 'line 15,22 29,22' -stroke none -fill FG -draw 'polygon 37,22 27,15 27,29' -draw 'polygon 7,22 17,15 17,29'"

# --- capture sub-toolbar ------------------------------------------------------------------------
button $b/btn_screen-capture-_full-screen 44 44 "-fill none -stroke FG -strokewidth 2 -draw 'rectangle 9,11 35,31' -draw 'line 18,36 26,36' -draw 'line 22,31 22,36' -strokewidth 2.5 -draw 'polyline 13,18 13,15 17,15' -draw 'polyline 27,15 31,15 31,18' -draw 'polyline 31,24 31,27 27,27' -draw 'polyline 17,27 13,27 13,24'"
button $b/btn_screen-capture-_windows 44 44 "-fill none -stroke FG -strokewidth 2 -draw 'rectangle 7,9 27,25' -fill FG -draw 'rectangle 7,9 27,12' -fill '#00000000' -stroke FG -draw 'rectangle 16,18 37,35' -fill FG -draw 'rectangle 16,18 37,21'"
button $b/btn_screen-capture-_area 44 44 "-fill none -stroke FG -strokewidth 2 -draw 'stroke-dasharray 3 2 rectangle 8,10 32,30' -strokewidth 2 -draw 'line 32,25 32,39' -draw 'line 25,32 39,32'"

# --- library buttons: shape picker and text panel ------------------------------------------------
i=icons/button
for shape in rectangle solid-rectangle circle solid-circle solid-triangle; do
    button $i/btn_shape_$shape 44 44 "$(shape_glyph $shape)"
done
button $i/btn_shape-triangle 44 44 "$(shape_glyph triangle)"
button $i/btn_text_bold 44 44 "-fill FG -stroke none -font $font -pointsize 26 -gravity center -annotate +0+1 B -gravity northwest"
button $i/btn_text_italic 44 44 "-fill FG -stroke none -font $italic -pointsize 26 -gravity center -annotate +0+1 I -gravity northwest"
button $i/btn_text_baseline 44 44 "-fill FG -stroke none -font $font -pointsize 24 -gravity center -annotate +0-2 U -gravity northwest -draw 'rectangle 13,34 31,36'"

# --- skins --------------------------------------------------------------------------------------
s=resource/skin
body_top="#3c434d"; body_bottom="#262b32"; rim="#5a6472"

# panel OUT W H: a pop-up panel, a rounded plate with a thin rim.
panel() {
    local out=$1 w=$2 h=$3
    "$convert" -size "${w}x${h}" gradient:"$body_top-$body_bottom" \
        \( -size "${w}x${h}" xc:none -fill white -draw "roundrectangle 0,0 $((w - 1)),$((h - 1)) 9,9" \) \
        -alpha set -compose DstIn -composite -compose Over \
        -fill none -stroke "$rim" -strokewidth 1 -draw "roundrectangle 0.5,0.5 $((w - 1)).5,$((h - 1)).5 9,9" \
        -define png:color-type=6 -strip "$out"
}
panel $s/bg_shape.png 283 58
panel $s/bg_text.png 349 58
panel $s/bg_color.png 322 58
panel $s/bg_Line-width.png 324 58
panel $s/bg_capture.png 142 58

# Toolbar frame, drawn for the top edge (flat side up, rounded below, four clear rows under it); the
# frame turns and mirrors the pieces for the other edges. Caps 70 wide: collapsed, the frame shows
# 39 columns of each.
bar() {
    local out=$1 shape=$2
    "$convert" -size 70x52 gradient:"$body_top-$body_bottom" \
        \( -size 70x52 xc:none -fill white -draw "$shape" \) \
        -alpha set -compose DstIn -composite -compose Over \
        -fill none -stroke "$rim" -strokewidth 1 -draw "$shape" \
        -background none -gravity north -extent 70x56 -define png:color-type=6 -strip "$out"
}
bar $s/bg_topbar_left.png "roundrectangle 0.5,-14 95,51.5 12,12"
bar $s/bg_topbar_right.png "roundrectangle -26,-14 69.5,51.5 12,12"
"$convert" $s/bg_topbar_left.png -crop 1x56+50+0 +repage -define png:color-type=6 -strip $s/bg_topbar_center.png
png -size 4x44 xc:none -fill "$rim" -draw "rectangle 1,7 2,37" $s/line.png
png -size 2x50 xc:none -fill "$rim" -draw "rectangle 0,6 1,46" $s/narrow_line.png

# --- cursors: black with a white rim, hot spots as the tools declare them -----------------------
c=resource/cursor
cursor() {
    local out=$1 shapes=$2
    eval "png -size 44x44 xc:none -stroke white -strokewidth 4 -fill white $shapes -stroke black -strokewidth 2 -fill black $shapes $out"
}
# Crosshair at (20, 23) with a small square.
cursor $c/shape_cursor.png "-draw 'line 20,13 20,33' -draw 'line 10,23 30,23' -fill none -draw 'rectangle 28,31 38,39'"
# Pen, tip at (10, 33).
cursor $c/freehand_cursor.png "-draw 'polygon 10,33 13,25 33,5 38,10 18,30'"
# Marker, tip at (10, 33).
cursor $c/highlighter_cursor.png "-draw 'polygon 10,33 11,27 30,8 36,14 17,33' -draw 'rectangle 10,33 16,34'"
# Crosshair at (12, 32) with a slanted line.
cursor $c/line_cursor.png "-draw 'line 12,24 12,40' -draw 'line 4,32 20,32' -draw 'line 20,24 38,6'"
# I-beam hanging from (22, 0).
cursor $c/text_cursor.png "-draw 'line 22,2 22,30' -draw 'line 17,1 27,1' -draw 'line 17,31 27,31'"
# Eraser, corner at (15, 33).
cursor $c/eraser_cursor.png "-draw 'polygon 15,33 9,27 27,9 33,15' -fill white -draw 'polygon 15,33 9,27 15,21 21,27'"

# --- capture sound: a shutter, two short clicks --------------------------------------------------
ffmpeg -loglevel error -y \
    -f lavfi -i "anoisesrc=d=0.025:c=pink:a=0.7:seed=41" \
    -f lavfi -i "anullsrc=r=44100:cl=mono:d=0.04" \
    -f lavfi -i "anoisesrc=d=0.035:c=pink:a=0.5:seed=43" \
    -filter_complex "[0]afade=t=out:st=0:d=0.025,highpass=f=900[a];[2]afade=t=out:st=0:d=0.035,lowpass=f=4000[c];[a][1][c]concat=n=3:v=0:a=1,aformat=sample_rates=44100:channel_layouts=mono" \
    -c:a pcm_s16le resource/sound/capture.wav

# --- the resource collection -----------------------------------------------------------------------
{
    echo '<!DOCTYPE RCC>'
    echo '<!-- Written by make-images.sh. -->'
    echo '<RCC version="1.0">'
    echo '    <qresource prefix="/icons">'
    find icons -type f -name '*.png' | LC_ALL=C sort | sed 's|.*|        <file>&</file>|'
    echo '    </qresource>'
    echo '    <qresource prefix="/">'
    find resource -type f \( -name '*.png' -o -name '*.wav' \) | LC_ALL=C sort | sed 's|.*|        <file>&</file>|'
    echo '    </qresource>'
    # The small image button of the pop-ups reads its pictures from the root.
    echo '    <qresource prefix="/">'
    for state in disabled normal pressed selected; do
        echo "        <file alias=\"btn_clear-all_$state.png\">resource/button/btn_clear-all_$state.png</file>"
    done
    echo '    </qresource>'
    echo '</RCC>'
} > drawletui.qrc

# Eight bits a channel, no ancillary chunks: the form Qt reads fastest.
../normalize-png.sh drawlet
