// The WebP half of picture_file.h on Linux, decoded by libwebp
// (webp_decoder_libwebp.cpp); Wine's WIC reads no WebP. Pairs with
// picture_decoders_posix.cpp, which registers it. Animations are not read.
#pragma once

#include "picture_input.h"

namespace sorvane {

// The picture's upright size from its header (an EXIF chunk orientation that
// turns it a quarter swaps the sides), or why it cannot be used: TooLarge
// beyond the size limits or beyond the memory libwebp would keep for the whole
// picture; Undecodable when damaged, truncated or animated.
PictureProblem CheckWebP(const PictureInput& Input, int& Width, int& Height);

// Decodes the upright picture to DestWidth x DestHeight, nearest neighbour,
// transparent pixels over black; false on any error, truncation included.
bool LoadWebPScaled(const PictureInput& Input, int DestWidth, int DestHeight, BgrImage& Out);

}  // namespace sorvane
