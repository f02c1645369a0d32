// Telling picture formats apart by their signatures (see picture_decoders.h).

#include <cstring>

#include "picture_decoders.h"

namespace sorvane {
namespace {

bool StartsWith(const uint8_t* Head, std::size_t Length, std::size_t At, const char* Text, std::size_t Count) {
  return Length >= At + Count && std::memcmp(Head + At, Text, Count) == 0;
}

// An ISO base media file whose first box is "ftyp" with a HEIF or AVIF major
// brand. Compatible brands are not looked at: every HEIF writer puts one of
// these first.
bool IsHeif(const uint8_t* Head, std::size_t Length) {
  if (!StartsWith(Head, Length, 4, "ftyp", 4) || Length < 12) return false;
  static const char* const kBrands[] = {"heic", "heix", "heim", "heis", "hevc", "hevx",
                                        "hevm", "hevs", "mif1", "msf1", "avif", "avis"};
  for (const char* brand : kBrands)
    if (std::memcmp(Head + 8, brand, 4) == 0) return true;
  return false;
}

}  // namespace

PictureKind SniffPictureKind(const uint8_t* Head, std::size_t Length) {
  if (StartsWith(Head, Length, 0, "BM", 2)) return PictureKind::Bmp;
  if (StartsWith(Head, Length, 0, "\xFF\xD8\xFF", 3)) return PictureKind::Jpeg;
  if (StartsWith(Head, Length, 0, "\x89PNG\r\n\x1A\n", 8)) return PictureKind::Png;
  if (StartsWith(Head, Length, 0, "GIF87a", 6) || StartsWith(Head, Length, 0, "GIF89a", 6)) return PictureKind::Gif;
  if (StartsWith(Head, Length, 0, "II*\0", 4) || StartsWith(Head, Length, 0, "MM\0*", 4) ||
      StartsWith(Head, Length, 0, "II+\0", 4) || StartsWith(Head, Length, 0, "MM\0+", 4))
    return PictureKind::Tiff;
  if (StartsWith(Head, Length, 0, "RIFF", 4) && StartsWith(Head, Length, 8, "WEBP", 4)) return PictureKind::WebP;
  if (IsHeif(Head, Length)) return PictureKind::Heif;
  return PictureKind::Unknown;
}

}  // namespace sorvane
