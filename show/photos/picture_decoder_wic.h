// Decoding any picture with the Windows Imaging Component (pairs with
// picture_decoder_wic.cpp): the first frame of whatever codec WIC finds for
// the file, checked for its size before a row is asked for, copied one
// sampled row at a time, transparent pixels black, turned upright by its
// orientation. The JPEG decoder (jpeg_decoder_wic.cpp) runs its own header
// checks first and then comes here; picture_decoders_win32.cpp hands every
// other kind but BMP here. Windows only.
#pragma once

#include <windows.h>
#include <wincodec.h>

#include <cstdint>
#include <vector>

#include "picture_decoders.h"
#include "picture_input.h"

namespace sorvane {

// Largest frame of a format whose WIC decoder may hold the whole frame
// (Wine's PNG and GIF decoders do, Windows's for interlaced pictures), the
// 50-megapixel bound of every photograph that cannot be read by rows alone.
constexpr uint64_t kMaxWicFramePixels = 50'000'000;

// How a caller wants the file opened.
struct WicRequest {
  // The only container accepted (the JPEG decoder's), or null for any.
  const GUID* Container = nullptr;
  // Largest number of stored pixels accepted.
  uint64_t MaxPixels = kMaxWicFramePixels;
  // JPEG: rows converted straight to 24bppBGR (no alpha), and the EXIF block
  // below used only when the decoder offers no metadata at all.
  bool Jpeg = false;
  // The file's EXIF block as a TIFF block, read by the caller; null to have
  // it found here by the picture's kind.
  const std::vector<uint8_t>* Exif = nullptr;
  // The kind the first bytes announced (Unknown: WIC tries every codec).
  PictureKind Kind = PictureKind::Unknown;
};

// The upright size, or why the picture cannot be used: NotAPicture when the
// kind is Unknown and no installed codec takes the file, TooLarge beyond the
// size limits, Undecodable otherwise.
PictureProblem CheckWicPicture(const PictureInput& Input, const WicRequest& Request, int& Width, int& Height);

// The upright picture at DestWidth x DestHeight, nearest neighbour; false on
// any error.
bool LoadWicPictureScaled(const PictureInput& Input, const WicRequest& Request, int DestWidth, int DestHeight,
                          BgrImage& Out);

}  // namespace sorvane
