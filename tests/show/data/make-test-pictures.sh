#!/usr/bin/env bash
# Makes the small JPEG test pictures of this folder with ImageMagick. Each is
# 64 x 48 in four quarters: red top-left, green top-right, blue bottom-left,
# white bottom-right (the grayscale one: black, dark, light grey, white).
set -euo pipefail
cd "$(dirname "$0")"
quarters=(-size 64x48 xc:white
  -fill '#ff0000' -draw 'rectangle 0,0 31,23'
  -fill '#00ff00' -draw 'rectangle 32,0 63,23'
  -fill '#0000ff' -draw 'rectangle 0,24 31,47')
convert "${quarters[@]}" -quality 95 -sampling-factor 2x2 -strip -interlace none baseline.jpg
convert "${quarters[@]}" -quality 95 -sampling-factor 2x2 -strip -interlace JPEG progressive.jpg
convert "${quarters[@]}" -quality 95 -colorspace CMYK -strip cmyk.jpg
convert -size 64x48 xc:white -fill black -draw 'rectangle 0,0 31,23' -fill '#555555' -draw 'rectangle 32,0 63,23' \
  -fill '#aaaaaa' -draw 'rectangle 0,24 31,47' -quality 95 -strip -colorspace Gray -type Grayscale gray.jpg
