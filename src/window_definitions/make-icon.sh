#!/usr/bin/env bash
# Draws the application icon, quillet.png: a page of text lines with a quill across it, on a
# dark blue tile. 32 x 32 pixels, 256 colours. Run from this folder with ImageMagick installed.
set -euo pipefail
out="${1:-quillet.png}"
convert -size 128x128 xc:none \
  -fill '#1d3557' -draw 'roundrectangle 4,4 123,123 20,20' \
  -fill '#f1faee' -draw 'polygon 26,18 84,18 102,36 102,110 26,110' \
  -fill '#a8dadc' -draw 'polygon 84,18 84,36 102,36' \
  -fill '#457b9d' -draw 'rectangle 36,46 90,51' -draw 'rectangle 36,60 84,65' \
  -draw 'rectangle 36,74 88,79' -draw 'rectangle 36,88 70,93' \
  -fill '#e63946' -draw 'polygon 118,8 96,22 66,58 58,78 74,66 104,36' \
  -fill '#ffb703' -draw 'polygon 62,70 52,92 58,90 68,72' \
  -stroke '#7a1d24' -strokewidth 3 -draw 'line 112,14 60,80' \
  -resize 32x32 -background none -colors 255 -strip PNG8:"$out"
