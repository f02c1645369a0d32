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

# PNG and WebP: every variant the decoders handle, the same quarters. The
# alpha ones have the white quarter fully transparent (shown black); the
# oriented ones are stored turned so that their orientation stands them
# upright. -define png:... forces each PNG's colour type and depth.
quarters_clear=(\( "${quarters[@]}" \) \( -size 64x48 xc:white -fill black -draw 'rectangle 32,24 63,47' \)
  -alpha off -compose CopyOpacity -composite)
png=(-strip -define png:exclude-chunks=date,time)
convert "${quarters[@]}" "${png[@]}" -define png:color-type=2 -define png:bit-depth=8 png-rgb8.png
convert "${quarters[@]}" "${png[@]}" -define png:color-type=2 -define png:bit-depth=16 png-rgb16.png
convert "${quarters[@]}" "${png[@]}" -define png:color-type=3 -define png:bit-depth=2 png-palette.png
convert "${quarters[@]}" "${png[@]}" -define png:color-type=3 -interlace PNG png-interlaced.png
convert -size 64x48 xc:white -fill black -draw 'rectangle 0,0 31,23' -fill '#555555' -draw 'rectangle 32,0 63,23' \
  -fill '#aaaaaa' -draw 'rectangle 0,24 31,47' "${png[@]}" -define png:color-type=0 -define png:bit-depth=16 png-grey16.png
convert "${quarters_clear[@]}" "${png[@]}" -define png:color-type=6 -define png:bit-depth=8 png-rgba.png
convert "${quarters_clear[@]}" "${png[@]}" PNG8:png-palette-trns.png
# eXIf (orientation 6, a quarter turn clockwise) after IHDR, which ImageMagick
# does not write: the stored picture is turned a quarter anticlockwise.
convert "${quarters[@]}" -rotate -90 "${png[@]}" -define png:color-type=2 png-exif6.png
python3 - png-exif6.png <<'PY'
import struct, sys, zlib
path = sys.argv[1]
data = open(path, 'rb').read()
tiff = b'II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0\x06\0\0\0\0\0\0\0'
chunk = struct.pack('>I', len(tiff)) + b'eXIf' + tiff + struct.pack('>I', zlib.crc32(b'eXIf' + tiff))
open(path, 'wb').write(data[:33] + chunk + data[33:])
PY
# WebP: lossy, lossless, lossy with alpha, and lossless with an EXIF chunk of
# orientation 8 (a quarter turn anticlockwise; stored turned clockwise).
convert "${quarters[@]}" -strip /tmp/sorvane-quarters.png
convert "${quarters_clear[@]}" -strip /tmp/sorvane-quarters-clear.png
convert "${quarters[@]}" -rotate 90 -strip /tmp/sorvane-quarters-turned.png
cwebp -quiet -q 95 /tmp/sorvane-quarters.png -o webp-lossy.webp
cwebp -quiet -lossless /tmp/sorvane-quarters.png -o webp-lossless.webp
cwebp -quiet -q 95 -exact /tmp/sorvane-quarters-clear.png -o webp-alpha.webp
cwebp -quiet -lossless /tmp/sorvane-quarters-turned.png -o /tmp/sorvane-turned.webp
printf 'II*\0\10\0\0\0\1\0\22\1\3\0\1\0\0\0\10\0\0\0\0\0\0\0' >/tmp/sorvane-exif8.bin
webpmux -set exif /tmp/sorvane-exif8.bin /tmp/sorvane-turned.webp -o webp-exif8.webp
rm -f /tmp/sorvane-quarters.png /tmp/sorvane-quarters-clear.png /tmp/sorvane-quarters-turned.png \
  /tmp/sorvane-turned.webp /tmp/sorvane-exif8.bin
