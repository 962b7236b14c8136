#!/bin/sh
# The dot-matrix board as an ImageMagick user would make it, for comparison with lumidot-render:
#   compare_magick.sh FONT_FILE POINTS LIT UNLIT MESSAGE OUTPUT [CONVERT OPTIONS...]
# The message becomes a one-bit mask (96 dpi, no antialiasing); the mask, scaled up by the dot size
# without smoothing, chooses between the lit and the unlit dot tiled over the whole board. Boards are
# wider than ImageMagick's default 16K-pixel limit: give MAGICK_CONFIGURE_PATH a policy with a larger one.
set -eu
font=$1 points=$2 lit=$3 unlit=$4 message=$5 output=$6
shift 6
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
convert -density 96 -font "$font" -pointsize "$points" +antialias -background white -fill black \
    label:"$message" -threshold 50% "$work/mask.png"
columns=$(identify -format %w "$work/mask.png")
rows=$(identify -format %h "$work/mask.png")
width=$(identify -format %w "$lit")
height=$(identify -format %h "$lit")
size=$((columns * width))x$((rows * height))
# Over the lit tiles, the unlit tiles show where the mask is white (no ink).
convert -size "$size" "tile:$lit" "tile:$unlit" \( "$work/mask.png" -sample "${size}!" \) -composite "$@" "$output"
