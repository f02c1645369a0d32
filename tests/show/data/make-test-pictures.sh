#!/usr/bin/env bash
# Makes the small test pictures of this folder with ImageMagick (JPEG) and
# heif-enc (HEIF, AVIF). Each is
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
# GIF: plain, interlaced, the colour map moved into the frame (no global map),
# the white quarter transparent, and a frame holding only the green quarter on
# the 64 x 48 screen.
convert "${quarters[@]}" -interlace none gif-plain.gif
convert "${quarters[@]}" -interlace GIF gif-interlaced.gif
convert "${quarters[@]}" -transparent white gif-transparent.gif
python3 - gif-transparent.gif <<'PY'
import sys  # the transparent entry made white, so only transparency makes it black
b = bytearray(open(sys.argv[1], 'rb').read())
g = 13 + (3 << ((b[10] & 7) + 1))
assert b[g:g + 3] == b'\x21\xf9\x04' and b[g + 3] & 1
b[13 + 3 * b[g + 6]:16 + 3 * b[g + 6]] = b'\xff\xff\xff'
open(sys.argv[1], 'wb').write(bytes(b))
PY
convert "${quarters[@]}" -crop 32x24+32+0 gif-small-frame.gif
python3 - gif-plain.gif gif-local-map.gif <<'PY'
import sys
b = bytearray(open(sys.argv[1], 'rb').read())
flags = b[10]
assert flags & 0x80, 'no global colour map'
size = 3 << ((flags & 7) + 1)
table = b[13:13 + size]
rest = b[13 + size:]
b[10] = flags & 0x70
i = 0
while rest[i] == 0x21:  # extensions before the frame
    i += 2
    while rest[i]:
        i += rest[i] + 1
    i += 1
assert rest[i] == 0x2C
rest[i + 9] = (rest[i + 9] & 0x40) | 0x80 | (flags & 7)
open(sys.argv[2], 'wb').write(bytes(b[:13]) + bytes(rest[:i + 10]) + bytes(table) + bytes(rest[i + 10:]))
PY

# TIFF: 8-bit RGB in strips of 8 rows (LZW), 16-bit RGB (Deflate), grey (the
# four levels of gray.jpg), 2-bit palette, unassociated alpha with the white
# quarter transparent, 16 x 16 tiles, stored turned a quarter anticlockwise
# with orientation 6 (turn clockwise to show), and an 8-bit palette written
# here (ImageMagick picks the fewest bits for four colours).
convert "${quarters[@]}" -alpha off -depth 8 -compress lzw -define tiff:rows-per-strip=8 tiff-rgb8.tif
convert "${quarters[@]}" -alpha off -depth 16 -compress zip tiff-rgb16.tif
convert -size 64x48 xc:white -fill black -draw 'rectangle 0,0 31,23' -fill '#555555' -draw 'rectangle 32,0 63,23' \
  -fill '#aaaaaa' -draw 'rectangle 0,24 31,47' -alpha off -colorspace Gray -depth 8 -compress none tiff-grey8.tif
convert "${quarters[@]}" -alpha off -type Palette -compress none tiff-palette2.tif
convert "${quarters[@]}" -transparent white -depth 8 -compress none tiff-alpha.tif
convert "${quarters[@]}" -alpha off -depth 8 -compress none -define tiff:tile-geometry=16x16 tiff-tiled.tif
convert "${quarters[@]}" -alpha off -rotate -90 -orient RightTop -depth 8 -compress none tiff-oriented.tif
python3 - tiff-palette8.tif <<'PY'
import struct, sys
w, h = 64, 48
pixels = bytes(((x >= 32) + 2 * (y >= 24)) for y in range(h) for x in range(w))
colours = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)] + [(0, 0, 0)] * 252
cmap = b''.join(struct.pack('<256H', *[c[i] * 257 for c in colours]) for i in range(3))
entries = [(256, 3, 1, w), (257, 3, 1, h), (258, 3, 1, 8), (259, 3, 1, 1), (262, 3, 1, 3),
           (273, 4, 1, 0), (277, 3, 1, 1), (278, 3, 1, h), (279, 4, 1, len(pixels)), (320, 3, 768, 0)]
ifd_size = 2 + 12 * len(entries) + 4
data_at = 8 + ifd_size
cmap_at = data_at + len(pixels)
out = b'II*\0' + struct.pack('<IH', 8, len(entries))
for tag, typ, count, value in entries:
    if tag == 273: value = data_at
    if tag == 320: value = cmap_at
    out += struct.pack('<HHII', tag, typ, count, value) if typ == 4 or tag == 320 else struct.pack('<HHIHH', tag, typ, count, value, 0)
out += struct.pack('<I', 0) + pixels + cmap
open(sys.argv[1], 'wb').write(out)
PY
# HEIF and AVIF, from a JPEG (heif-enc mishandles PNG input). heif-enc writes
# no irot box, so the turned picture is stored a quarter turn clockwise and an
# irot box (a quarter turn anticlockwise) is added to its primary item.
convert "${quarters[@]}" -quality 98 -strip heif-source.jpg
heif-enc -q 90 -o heif-quarters.heic heif-source.jpg >/dev/null
heif-enc -A -q 90 -o heif-quarters.avif heif-source.jpg >/dev/null
convert heif-source.jpg -rotate 90 heif-source.jpg
heif-enc -q 90 -o heif-stored-turned.heic heif-source.jpg >/dev/null
python3 - heif-stored-turned.heic heif-turned.heic 1 <<'PY'
import struct, sys
src, dst, angle = sys.argv[1], sys.argv[2], int(sys.argv[3])
d = bytearray(open(src, 'rb').read())
def children(start, end):
    out, p = [], start
    while p < end:
        size, kind = struct.unpack('>I4s', d[p:p + 8])
        out.append((kind.decode(), (p, size)))
        p += size
    return out
mp, ms = dict(children(0, len(d)))['meta']
meta = dict(children(mp + 12, mp + ms))
pitm = struct.unpack('>H', d[meta['pitm'][0] + 12:][:2])[0]
ip, isz = meta['iprp']
iprp = dict(children(ip + 8, ip + isz))
cp, cs = iprp['ipco']
count = len(children(cp + 8, cp + cs))
ap, _ = iprp['ipma']
assert d[ap + 8] == 0 and d[ap + 11] & 1 == 0 and count + 1 < 128 and ap > cp
# The primary item's associations gain the new property, marked essential.
q = ap + 16
for _ in range(struct.unpack('>I', d[ap + 12:ap + 16])[0]):
    item, n = struct.unpack('>HB', d[q:q + 3])
    if item == pitm:
        d[q + 2] = n + 1
        d[q + 3 + n:q + 3 + n] = bytes([0x80 | (count + 1)])
        break
    q += 3 + n
d[cp + cs:cp + cs] = struct.pack('>I4sB', 9, b'irot', angle)
for p, extra in ((mp, 10), (ip, 10), (cp, 9), (ap + 9, 1)):
    struct.pack_into('>I', d, p, struct.unpack('>I', d[p:p + 4])[0] + extra)
# Items stored after the meta box move by the 10 bytes it grew.
lp = meta['iloc'][0] + (0 if meta['iloc'][0] < cp else 10)
version, num = d[lp + 8], lambda q, n: int.from_bytes(d[q:q + n], 'big')
osz, lsz, bsz = d[lp + 12] >> 4, d[lp + 12] & 15, d[lp + 13] >> 4
xsz = d[lp + 13] & 15 if version else 0
wide = 4 if version == 2 else 2
q = lp + 14 + wide
for _ in range(num(lp + 14, wide)):
    q += wide
    method = d[q + 1] & 15 if version else 0
    q += (2 if version else 0) + 2
    if method == 0 and bsz:
        d[q:q + bsz] = (num(q, bsz) + 10).to_bytes(bsz, 'big')
    q += bsz
    extents = num(q, 2)
    q += 2
    for _ in range(extents):
        q += xsz
        if method == 0 and not bsz:
            d[q:q + osz] = (num(q, osz) + 10).to_bytes(osz, 'big')
        q += osz + lsz
open(dst, 'wb').write(d)
PY
rm heif-source.jpg heif-stored-turned.heic

# A 10-bit HEIC and one with alpha, written through libheif by heif-writer.cpp.
writer=$(mktemp)
g++ -O1 -o "$writer" heif-writer.cpp $(pkg-config --cflags --libs libheif)
"$writer" heif-10bit.heic 10 0
"$writer" heif-alpha.heic 8 1
rm -f "$writer"
# An icon, a kind with no signature of ours: on Windows WIC's own codec reads it.
convert "${quarters[@]}" wic-icon.ico
