// The GIF half of the picture decoders on Linux (giflib, gif_decoder_giflib.cpp);
// Windows reads GIF through WIC. Only the first frame is shown, placed on a
// black logical screen; animation and later frames are not read.
#pragma once

#include "picture_input.h"

namespace sorvane {

// The logical screen's size, or why the picture cannot be used: the first
// frame's descriptor is read too, so a frame claiming far more pixels than
// the file could hold is refused here.
PictureProblem CheckGif(const PictureInput& Input, int& Width, int& Height);

// Decodes the first frame on its black screen to DestWidth x DestHeight,
// nearest neighbour, transparent pixels black; false on any error.
bool LoadGifScaled(const PictureInput& Input, int DestWidth, int DestHeight, BgrImage& Out);

}  // namespace sorvane
