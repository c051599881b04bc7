#!/bin/sh
# Writes the PNG files under the folders given (default: all of resources/) as 8 bits a channel with
# no ancillary chunks (gamma, chromaticities, background, time and text), RGBA where the image has an
# alpha channel: ImageMagick keeps 16 bits and adds those chunks after some drawing operations, and
# such files take twice as long for Qt to read, with nothing to show for it. The make-*.sh scripts
# end with it; running it again changes nothing.
set -e
cd "$(dirname "$0")"
[ $# -gt 0 ] || set -- .
find "$@" -name '*.png' | sort | while read -r file; do
    if [ "$(/usr/bin/identify -format '%A' "$file")" = "False" ]; then
        /usr/bin/mogrify -depth 8 -strip "$file"
    else
        /usr/bin/mogrify -depth 8 -strip -define png:color-type=6 "$file"
    fi
done
