// The PNG half of picture_file.h on Linux, decoded by libpng
// (png_decoder_libpng.cpp); on Windows WIC reads PNG through the generic
// decoder. Pairs with picture_decoders_posix.cpp, which registers it.
#pragma once

#include "picture_input.h"

namespace sorvane {

// The picture's upright size from its header (an eXIf orientation that turns
// it a quarter swaps the sides), or why it cannot be used: TooLarge beyond the
// size limits; Undecodable when damaged or claiming more than the file could
// hold.
PictureProblem CheckPng(const PictureInput& Input, int& Width, int& Height);

// Decodes the upright picture to DestWidth x DestHeight, nearest neighbour,
// transparent pixels composited over black, 16-bit samples rounded to 8 and
// grey replicated; false on any error, truncation included.
bool LoadPngScaled(const PictureInput& Input, int DestWidth, int DestHeight, BgrImage& Out);

}  // namespace sorvane
