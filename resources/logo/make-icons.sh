#!/bin/sh
# Makes the program's icons from lumidesk.svg: the hicolor theme sizes installed for the desktop entry
# and Lumidesk.ico, the windows' icon built into the program. Run from this folder; needs rsvg-convert
# (librsvg2-bin) and ImageMagick's convert. The outputs are committed, so the build needs neither.
set -e
sizes="16 22 24 32 48 64 128 256"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

for size in $sizes; do
    mkdir -p "hicolor/${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" lumidesk.svg -o "$tmp/$size.png"
    # No time stamps or tool comments in the files, so running the script again changes nothing.
    convert "$tmp/$size.png" -strip -define png:exclude-chunks=date,time \
        "hicolor/${size}x${size}/apps/lumidesk.png"
done
# The windows' icon goes up to 128: Qt reads every picture of it at start and hands each to the X
# server with every window, and a 256 picture would be three quarters of that work for a size that no
# window decoration shows (launchers take the theme icons above). Stored as bitmaps, which Qt reads
# faster than the PNG ImageMagick would write for the larger sizes.
convert "$tmp/16.png" "$tmp/24.png" "$tmp/32.png" "$tmp/48.png" "$tmp/64.png" "$tmp/128.png" \
    -compress None Lumidesk.ico

# Eight bits a channel, no ancillary chunks: the form Qt reads fastest.
"$(dirname "$0")/../normalize-png.sh" logo
