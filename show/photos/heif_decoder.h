// The HEIF half of picture_file.h (HEIC and AVIF alike), Linux only: libheif
// with its HEVC and AV1 decoders (heif_decoder_libheif.cpp). On Windows WIC
// decodes these files, when its extensions are installed, through the
// catch-all decoder. HEIF pictures are coded whole, so a whole picture is
// decoded, kept in its native planes (4:2:0 YCbCr mostly); only the sampled
// pixels are turned into colour.
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
