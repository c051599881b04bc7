#!/bin/sh
# Draws the first-run guide's pictures and makes the capture sound. Run from this folder; needs
# ImageMagick's convert and ffmpeg. The outputs are committed, so the build does not need either.
set -e
mkdir -p guid sound

# Guide pages: a dark rounded card with pictures of what the page explains. The toolbar and the
# camera window are drawn from their own images, laid out as the programs lay them out, so the guide
# shows the buttons the user will find; the markers (below) point from them to the captions.
TB=../widgets/mainToolbar
PIP=../camerawindow/pip
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
page() {
    convert -size 950x674 xc:none -fill '#1f2530' -draw 'roundrectangle 0,0 949,673 18,18' "$@"
}
# on BAR X Y IMAGE...: the bar with each image placed at its offset.
on() {
    args=$1
    shift
    while [ $# -ge 3 ]; do
        args="$args $TB/$3_normal.png -geometry +$1+$2 -composite"
        shift 3
    done
    echo "$args"
}
# The toolbar docked at the bottom and at the left, as the program shows them.
# shellcheck disable=SC2046
convert $(on $TB/bg_t_b_downbar.png 0 20 btn_narrow_t 35 8 btn_move_t 56 8 btn_layout_t 112 8 btn_cap_t \
    168 8 btn_rec_t 224 8 btn_live_t 280 8 btn_file_t 336 8 btn_set_t 392 8 btn_pen_t 453 20 btn_close_t) \
    "$tmp/toolbar_bottom.png"
# shellcheck disable=SC2046
convert $(on $TB/bg_t_b_leftbar.png 0 0 btn_narrow3_t 0 35 btn_move2_t 3 56 btn_layout_t 3 112 btn_cap_t \
    3 168 btn_rec_t 3 224 btn_live_t 3 280 btn_file_t 3 336 btn_set_t 3 392 btn_pen_t 0 453 btn_close_t) \
    "$tmp/toolbar_left.png"
# The camera window's bottom bar as the window shows it for a camera without high-quality capture,
# at nine tenths of its size so that its three buttons meet their markers.
convert ../widgets/pip/bg_p_menu46.png -resize '352x46!' \
    $PIP/btn_cam_p_normal.png -geometry +0+0 -composite $PIP/btn_cam_ar_p_normal.png -geometry +91+0 -composite \
    $PIP/line_p_w3.png -geometry +116+0 -composite $PIP/btn_rec_p_normal.png -geometry +117+0 -composite \
    $PIP/line_p_w3.png -geometry +235+0 -composite $PIP/btn_live_p_normal.png -geometry +236+0 -composite \
    -resize 90% "$tmp/camera_bar.png"

# Page 1: the three camera layouts of the layout chooser, and the toolbar whose first button opens it.
page $TB/btn_layout2_t_normal.png -geometry +291+180 -composite \
     $TB/btn_layout3_t_normal.png -geometry +491+180 -composite \
     $TB/btn_layout4_t_normal.png -geometry +691+180 -composite \
     "$tmp/toolbar_bottom.png" -geometry +277+482 -composite guid/software_guidance_page_1.png
# Page 2: a document camera and its window: the picture of a page on the desk, the window's top bar
# and its capture, record and stream buttons.
page -fill '#46536a' -draw 'roundrectangle 150,440 380,468 8,8' \
     -stroke '#5d6878' -strokewidth 12 -draw 'line 340,444 310,262' -stroke none \
     -fill '#5d6878' -draw 'roundrectangle 225,236 330,268 8,8' -fill '#3a4558' -draw 'circle 250,262 250,254' \
     -fill white -draw 'polygon 175,428 320,428 330,440 165,440' \
     -fill '#7a5230' -draw 'rectangle 600,190 930,418' \
     -fill white -draw 'polygon 705,214 812,204 828,352 720,362' \
     -fill '#44474d' -draw 'polygon 720,226 790,220 791,228 721,234' \
     -draw 'polygon 722,244 806,236 807,241 723,249' -draw 'polygon 724,258 808,250 809,255 725,263' \
     -draw 'polygon 726,272 810,264 811,269 727,277' -draw 'polygon 728,286 790,280 791,285 729,291' \
     -draw 'polygon 730,300 812,292 813,297 731,305' -draw 'polygon 732,314 800,308 801,313 733,319' \
     \( $PIP/bg_p_win32_m.png -resize '330x30!' \) -geometry +600+160 -composite \
     $PIP/btn_set_p_w_normal.png -geometry +604+160 -composite \
     $PIP/btn_s_p_normal.png -geometry +856+164 -composite $PIP/btn_b_p_normal.png -geometry +880+164 -composite \
     $PIP/btn_x_p_normal.png -geometry +904+164 -composite \
     "$tmp/camera_bar.png" -geometry +607+377 -composite guid/software_guidance_page_2.png
# Page 3: the toolbar docked at the left edge of the desktop, beside a presentation of other material.
page -fill '#3a4558' -draw 'roundrectangle 500,130 905,470 6,6' \
     -fill '#5d6878' -draw 'circle 516,143 516,139' -draw 'circle 530,143 530,139' -draw 'circle 544,143 544,139' \
     -fill white -draw 'rectangle 510,158 895,460' \
     -fill '#44474d' -draw 'rectangle 540,186 760,202' \
     -fill '#8a8f99' -draw 'rectangle 540,232 690,238' -draw 'rectangle 540,256 670,262' \
     -draw 'rectangle 540,280 700,286' -draw 'rectangle 540,304 650,310' \
     -fill '#e0873a' -draw 'rectangle 730,360 760,430' -fill '#4caf50' -draw 'rectangle 775,320 805,430' \
     -fill '#8a8f99' -draw 'rectangle 820,290 850,430' -fill '#44474d' -draw 'rectangle 720,430 865,432' \
     "$tmp/toolbar_left.png" -geometry -4+51 -composite guid/software_guidance_page_3.png

# Page arrows, 10 x 12: normal, hover, pressed, disabled.
arrow() {
    name=$1; points=$2
    for state in normal:'#9aa4b2' hover:'#ffffff' pressed:'#009bef' disabled:'#4a5260'; do
        convert -size 10x12 xc:none -fill "${state#*:}" -draw "polygon $points" \
            "guid/${name}_${state%%:*}.png"
    done
}
arrow btn_left_sg '9,0 9,11 0,6'
arrow btn_right_sg '0,0 0,11 9,6'

# Markers: a dot on what is meant, a line towards its caption.
convert -size 12x72 xc:none -fill '#009bef' -draw 'rectangle 5,0 6,66' -draw 'circle 6,66 6,71' guid/point_sg_a.png
convert -size 12x32 xc:none -fill '#009bef' -draw 'rectangle 5,0 6,26' -draw 'circle 6,26 6,31' guid/point_sg_b.png
convert -size 60x12 xc:none -fill '#009bef' -draw 'rectangle 0,5 19,6' -draw 'circle 19,6 24,6' guid/point_sg_c.png
convert -size 12x32 xc:none -fill '#009bef' -draw 'rectangle 5,5 6,31' -draw 'circle 6,5 6,0' guid/point_sg_d.png
convert -size 12x61 xc:none -fill '#009bef' -draw 'rectangle 5,5 6,60' -draw 'circle 6,5 6,0' guid/point_sg_e.png
convert -size 32x12 xc:none -fill '#009bef' -draw 'rectangle 5,5 31,6' -draw 'circle 5,6 0,6' guid/point_sg_f.png

# OK button, 220 x 45.
for state in normal:'#009bef' hover:'#26adf5' pressed:'#0078bb'; do
    convert -size 220x45 xc:none -fill "${state#*:}" -draw 'roundrectangle 0,0 219,44 22,22' \
        "guid/btn_ok_sg_${state%%:*}.png"
done

# Capture sound: a short two-part shutter click, 44.1 kHz mono 16-bit.
ffmpeg -loglevel error -y \
    -f lavfi -i "anoisesrc=d=0.03:c=white:a=0.6" \
    -f lavfi -i "sine=f=1800:d=0.05" \
    -filter_complex "[0]afade=t=out:st=0:d=0.03[a];[1]volume=0.3,afade=t=out:st=0:d=0.05[b];[a][b]concat=n=2:v=0:a=1,aformat=sample_rates=44100:channel_layouts=mono" \
    -c:a pcm_s16le sound/capture.wav

# Eight bits a channel, no ancillary chunks: the form Qt reads fastest.
"$(dirname "$0")/../normalize-png.sh" core
