// The picture formats, told apart by their first bytes (pairs with
// picture_kind.cpp), and the decoder this platform has for each: the reference
// library of each format on Linux (picture_decoders_posix.cpp), the Windows
// Imaging Component on Windows (picture_decoders_win32.cpp). BMP is read by
// our own reader on both and never comes here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "picture_input.h"

namespace sorvane {

enum class PictureKind { Unknown, Bmp, Jpeg, Png, Gif, Tiff, WebP, Heif };

// How many first bytes SniffPictureKind looks at.
constexpr std::size_t kSniffBytes = 16;

// The kind the first Length bytes of a file announce (Heif stands for every
// HEIF brand, AVIF included); Unknown when they announce none of them.
PictureKind SniffPictureKind(const uint8_t* Head, std::size_t Length);

// One format's decoder, with the contract of picture_file.h: Check reads no
// more than the header (and any orientation), giving the upright size or why
// the picture cannot be used; LoadScaled decodes the upright picture straight
// to DestWidth x DestHeight, nearest neighbour, transparent pixels black, with
// memory bounded by the destination rather than by the photograph wherever the
// format allows.
struct PictureDecoder {
  PictureProblem (*Check)(const PictureInput& Input, int& Width, int& Height);
  bool (*LoadScaled)(const PictureInput& Input, int DestWidth, int DestHeight, BgrImage& Out);
};

// The decoder for Kind on this platform, or null when it reads no such
// picture. On Windows, Unknown also has one: WIC tries every installed codec.
const PictureDecoder* DecoderFor(PictureKind Kind);

}  // namespace sorvane
