// The TIFF half of the picture decoders on Linux (libtiff,
// tiff_decoder_libtiff.cpp); Windows reads TIFF through WIC. Only the first
// page (the first directory) is shown.
#pragma once

#include "picture_input.h"

namespace sorvane {

// The first page's size upright (sides swapped when the orientation tag 274
// turns it a quarter), or why it cannot be used.
PictureProblem CheckTiff(const PictureInput& Input, int& Width, int& Height);

// Decodes the first page upright to DestWidth x DestHeight, nearest
// neighbour, in true colour (16-bit samples by their high byte, grey
// replicated), transparent pixels black; false on any error.
bool LoadTiffScaled(const PictureInput& Input, int DestWidth, int DestHeight, BgrImage& Out);

}  // namespace sorvane
