// A JPEG's frame header read without a decoder (pairs with jpeg_header.cpp),
// so that a decoder which would allocate the whole frame (WIC) is never handed
// a picture whose claimed size is beyond our limits or beyond what the file
// could possibly hold; and its EXIF orientation, for a WIC whose JPEG decoder
// offers no metadata (Wine's). It decodes no pixels; libexif and WIC's
// metadata readers stay the first choice wherever they are handed the data.
#pragma once

#include <cstdint>
#include <vector>

#include "byte_source.h"
#include "picture_orientation.h"

namespace sorvane {

// Finds the first start-of-frame marker and reads the picture's size; false
// when the markers are damaged or there is no frame before the scan data.
bool ReadJpegFrameSize(ByteSource& Source, int& Width, int& Height);

// The contents of the first APP1 segment before the scan data that holds
// EXIF data, without its "Exif\0\0" header: a TIFF header and its IFDs, at
// most 65,527 bytes. False when there is none or the markers are damaged
// before it.
bool ReadJpegExifBlock(ByteSource& Source, std::vector<uint8_t>& Tiff);

// The orientation tag (274) of the first IFD of a TIFF block as
// ReadJpegExifBlock gives it, read the way libexif reads it: entries that do
// not fit in the block are dropped, the first entry with the tag counts, and
// only one SHORT from 1 to 8 is an orientation. Anything else, a damaged
// block included, is AsStored.
PictureOrientation ExifOrientation(const std::vector<uint8_t>& Tiff);

// True when a file of FileSize bytes can hold a Width x Height picture:
// every 8 x 8 block costs at least one bit, and no component is subsampled
// more than 2 x 2 in ordinary files, so fewer than one bit per 16 x 16
// pixels is a header claiming far more than the data.
bool JpegSizeFitsFile(int Width, int Height, uint64_t FileSize);

}  // namespace sorvane
