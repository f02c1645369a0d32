// A JPEG's frame header read without a decoder (pairs with jpeg_header.cpp),
// so that a decoder which would allocate the whole frame (WIC) is never handed
// a picture whose claimed size is beyond our limits or beyond what the file
// could possibly hold. It decodes no pixels.
#pragma once

#include "byte_source.h"

namespace sorvane {

// Finds the first start-of-frame marker and reads the picture's size; false
// when the markers are damaged or there is no frame before the scan data.
bool ReadJpegFrameSize(ByteSource& Source, int& Width, int& Height);

// True when a file of FileSize bytes can hold a Width x Height picture:
// every 8 x 8 block costs at least one bit, and no component is subsampled
// more than 2 x 2 in ordinary files, so fewer than one bit per 16 x 16
// pixels is a header claiming far more than the data.
bool JpegSizeFitsFile(int Width, int Height, uint64_t FileSize);

}  // namespace sorvane
