// Our own BMP reader, used on both platforms (pairs with bmp_reader.cpp):
// uncompressed (BI_RGB) and bit-field (BI_BITFIELDS) BMPs of 1, 4, 8, 16, 24
// and 32 bits, bottom-up or top-down, with a BITMAPINFOHEADER or one of its
// longer successors. Run-length, JPEG or PNG compression and OS/2 headers are
// not read: such a file is unreadable.
#pragma once

#include "byte_source.h"
#include "picture_file.h"

namespace sorvane {

// The size of the BMP in Source; false when it is not a BMP we can read.
bool ReadBmpSize(ByteSource& Source, int& Width, int& Height);

// Decodes the BMP in Source to DestWidth x DestHeight pixels, nearest
// neighbour, reading only the rows it samples.
bool LoadBmpScaled(ByteSource& Source, int DestWidth, int DestHeight, BgrImage& Out);

}  // namespace sorvane
