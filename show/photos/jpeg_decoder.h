// The JPEG half of picture_file.h, implemented per platform: libjpeg-turbo on
// Linux (jpeg_decoder_libjpeg.cpp), the Windows Imaging Component on Windows
// (jpeg_decoder_wic.cpp). Both decode row by row and keep only the rows the
// scaled picture samples. BMP files never come here.
#pragma once

#include "picture_input.h"

namespace sorvane {

// The picture's size upright, from its header: with an EXIF orientation tag
// that turns it a quarter, width and height are the stored height and width.
// False when it is not a JPEG we decode or its size is beyond the decoding
// limits.
bool ReadJpegSize(const PictureInput& Input, int& Width, int& Height);

// Same, telling a picture refused for its size or for the memory its decoding
// would take (TooLarge) from one that cannot be decoded (Undecodable).
PictureProblem CheckJpeg(const PictureInput& Input, int& Width, int& Height);

// Decodes the upright picture (its EXIF orientation applied; a missing or
// damaged tag means as stored) to DestWidth x DestHeight, nearest neighbour,
// in true colour (grayscale and CMYK pictures included); false on any error,
// truncated data included.
bool LoadJpegScaled(const PictureInput& Input, int DestWidth, int DestHeight, BgrImage& Out);

}  // namespace sorvane
