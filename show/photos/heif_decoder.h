// The HEIF half of picture_file.h (HEIC and AVIF alike), Linux only: libheif
// with its HEVC and AV1 decoders (heif_decoder_libheif.cpp); Windows goes
// through WIC (picture_decoders_win32.cpp). HEIF pictures are coded whole, so
// a whole picture is decoded and kept in libheif's planes; only the sampled
// rows are turned into colour.
#pragma once

#include "picture_input.h"

namespace sorvane {

// The primary image's size upright (its irot, imir and clap applied), from the
// file's boxes, or why it cannot be used: TooLarge beyond the decoding limits,
// Undecodable when libheif cannot read it.
PictureProblem CheckHeif(const PictureInput& Input, int& Width, int& Height);

// Decodes the upright primary image to DestWidth x DestHeight, nearest
// neighbour, in 8-bit colour (10 and 12-bit pictures by their top bits),
// transparent pixels black; false on any error, truncated data included.
bool LoadHeifScaled(const PictureInput& Input, int DestWidth, int DestHeight, BgrImage& Out);

}  // namespace sorvane
