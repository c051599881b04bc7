#!/bin/sh
# Draws the first-run guide's pictures and makes the capture sound. Run from this folder; needs
# ImageMagick's convert and ffmpeg. The outputs are committed, so the build does not need either.
set -e
mkdir -p guid sound

# Guide pages: a dark rounded card with a sketch of what the page explains.
page() {
    convert -size 950x674 xc:none -fill '#1f2530' -draw 'roundrectangle 0,0 949,673 18,18' \
        -fill '#2a3342' -draw 'roundrectangle 40,170 910,520 12,12' "$@"
}
page -fill '#3a4558' -draw 'roundrectangle 110,230 330,400 8,8' \
     -draw 'roundrectangle 365,230 585,400 8,8' -draw 'roundrectangle 620,230 840,400 8,8' \
     -fill '#009bef' -draw 'roundrectangle 231,490 475,515 6,6' \
     -fill white -draw 'rectangle 140,260 300,370' -fill '#2a3342' -draw 'rectangle 395,260 470,370' \
     -draw 'rectangle 480,260 555,370' -fill white -draw 'rectangle 650,260 810,370' \
     -fill '#2a3342' -draw 'rectangle 740,320 800,362' guid/software_guidance_page_1.png
# Page 2: the camera picture and the camera window's button strip. The strip starts right of the
# Capture caption and is grey, so the blue captions and markers that point at its three buttons
# (capture, record, stream) stay readable.
page -fill '#3a4558' -draw 'roundrectangle 250,200 700,360 8,8' \
     -fill white -draw 'circle 475,280 475,320' -fill '#3a4558' -draw 'circle 475,280 475,300' \
     -fill '#46536a' -draw 'roundrectangle 646,380 904,410 6,6' \
     -fill none -stroke white -strokewidth 2 -draw 'roundrectangle 657,388 679,403 3,3' -draw 'circle 668,395 668,399' \
     -stroke none -fill '#e04a3f' -draw 'circle 765,395 765,401' -fill none -stroke white -draw 'circle 765,395 765,403' \
     -stroke white -draw 'arc 862,386 880,404 130,230' -draw 'arc 862,386 880,404 310,50' \
     -stroke none -fill white -draw 'circle 871,395 871,398' \
     guid/software_guidance_page_2.png
page -fill '#009bef' -draw 'roundrectangle 120,360 830,420 8,8' \
     -fill white -draw 'roundrectangle 140,372 180,408 4,4' -draw 'roundrectangle 200,372 240,408 4,4' \
     -draw 'roundrectangle 260,372 300,408 4,4' -draw 'roundrectangle 320,372 360,408 4,4' \
     guid/software_guidance_page_3.png

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

# Markers: a dot with a line towards the caption.
convert -size 12x72 xc:none -fill '#009bef' -draw 'rectangle 5,0 6,66' -draw 'circle 6,66 6,71' guid/point_sg_a.png
convert -size 12x32 xc:none -fill '#009bef' -draw 'rectangle 5,6 6,31' -draw 'circle 6,5 6,0' guid/point_sg_b.png
convert -size 60x12 xc:none -fill '#009bef' -draw 'rectangle 0,5 54,6' -draw 'circle 54,6 59,6' guid/point_sg_c.png
convert -size 12x32 xc:none -fill '#009bef' -draw 'rectangle 5,0 6,26' -draw 'circle 6,26 6,31' guid/point_sg_d.png
convert -size 12x61 xc:none -fill '#009bef' -draw 'rectangle 5,0 6,55' -draw 'circle 6,55 6,60' guid/point_sg_e.png
convert -size 32x12 xc:none -fill '#009bef' -draw 'rectangle 0,5 26,6' -draw 'circle 26,6 31,6' guid/point_sg_f.png

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
