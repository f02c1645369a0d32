#!/usr/bin/env bash
# Makes the small seed pictures of the fuzz corpus with ImageMagick: BMPs of
# several depths and headers, JPEGs, GIFs and TIFFs of several kinds. Run again to
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
convert "${src[@]}" gif/plain.gif
convert "${src[@]}" -interlace GIF gif/interlaced.gif
convert "${src[@]}" -transparent yellow gif/transparent.gif
convert "${src[@]}" -crop 6x5+3+2 gif/small-frame.gif
convert "${src[@]}" \( "${src[@]}" -negate \) -loop 0 gif/two-frames.gif
convert "${src[@]}" -compress lzw -define tiff:rows-per-strip=2 tiff/rgb8-lzw.tif
convert "${src[@]}" -depth 16 -compress zip -endian MSB tiff/rgb16-zip-be.tif
convert "${src[@]}" -colorspace Gray -compress none tiff/grey8.tif
convert "${src[@]}" -colors 12 -type Palette -compress RLE tiff/palette.tif
convert "${src[@]}" -monochrome -compress fax tiff/bilevel-fax.tif
convert "${src[@]}" -alpha set -channel A -evaluate set 60% +channel -compress none tiff/alpha.tif
convert "${src[@]}" -define tiff:tile-geometry=16x16 -compress lzw tiff/tiled.tif
convert "${src[@]}" -interlace plane -compress none tiff/planes.tif
convert "${src[@]}" -colorspace CMYK -compress none tiff/cmyk.tif
convert "${src[@]}" -compress jpeg tiff/ycbcr-jpeg.tif
convert "${src[@]}" -orient RightTop -compress none tiff/oriented.tif
