#!/usr/bin/env bash
# Makes the small seed pictures of the fuzz corpus with ImageMagick: BMPs of
# several depths and headers, and JPEGs of several kinds. Run again to
# refresh them; the fuzzers mutate from these.
set -euo pipefail
cd "$(dirname "$0")"
src=(-size 12x9 gradient:red-blue -fill yellow -draw 'rectangle 0,0 5,4')
convert "${src[@]}" BMP3:bmp/rgb24.bmp
convert "${src[@]}" -type Palette BMP3:bmp/pal8.bmp
convert "${src[@]}" -colors 12 -type Palette -compress None BMP2:bmp/pal-os2.bmp
convert "${src[@]}" -monochrome BMP3:bmp/mono1.bmp
convert "${src[@]}" -colors 8 -depth 4 -type Palette BMP3:bmp/pal4.bmp
convert "${src[@]}" -define bmp:subtype=RGB565 BMP:bmp/rgb565.bmp
convert "${src[@]}" -define bmp:subtype=RGB555 BMP:bmp/rgb555.bmp
convert "${src[@]}" -alpha set -channel A -evaluate set 80% BMP:bmp/argb32-v5.bmp
convert "${src[@]}" -quality 90 -interlace none jpeg/baseline.jpg
convert "${src[@]}" -quality 90 -interlace JPEG jpeg/progressive.jpg
convert "${src[@]}" -quality 90 -colorspace Gray jpeg/gray.jpg
convert "${src[@]}" -quality 90 -colorspace CMYK jpeg/cmyk.jpg
convert "${src[@]}" -quality 90 -sampling-factor 1x1 -define jpeg:restart-interval=1 jpeg/restart444.jpg
convert "${src[@]}" -quality 90 -sampling-factor 2x1 jpeg/h2v1.jpg
# The baseline seed with an EXIF block (orientation 6, a quarter turn), so the
# fuzzer reaches the APP1 reader and the EXIF parsing.
python3 - <<'PY'
import struct
jpeg = open('jpeg/baseline.jpg', 'rb').read()
tiff = b'II*\x00' + struct.pack('<IH', 8, 1) + struct.pack('<HHIHH', 274, 3, 1, 6, 0) + struct.pack('<I', 0)
payload = b'Exif\x00\x00' + tiff
open('jpeg/exif-orientation.jpg', 'wb').write(jpeg[:2] + b'\xff\xe1' + struct.pack('>H', len(payload) + 2) + payload + jpeg[2:])
PY
# PNG and WebP: the decoders' test pictures are the seeds.
cp ../../tests/show/data/png-*.png png/
cp ../../tests/show/data/webp-*.webp webp/
