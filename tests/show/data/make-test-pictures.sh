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
