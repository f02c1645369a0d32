// How a stored picture is to be turned to stand upright: the eight values of
// the EXIF orientation tag (TIFF tag 274). Portable, header only; reading the
// tag is the JPEG decoders' work (jpeg_decoder_*.cpp), applying it the row
// sampler's (picture_sampling.h).
#pragma once

#include <cstdint>

namespace sorvane {

// Named by what is done to the stored picture to show it upright.
enum class PictureOrientation : uint8_t {
  AsStored = 1,
  MirrorLeftRight = 2,
  Turn180 = 3,
  MirrorTopBottom = 4,
  Transpose = 5,         // mirrored along the top-left to bottom-right diagonal
  TurnClockwise = 6,     // a quarter turn clockwise (phones held upright)
  Transverse = 7,        // mirrored along the other diagonal
  TurnAnticlockwise = 8  // a quarter turn anticlockwise
};

// The orientation a tag's value stands for; a value outside 1 to 8 means the
// tag is damaged and the picture is taken as stored.
inline PictureOrientation OrientationFromTag(long Value) {
  return Value >= 1 && Value <= 8 ? static_cast<PictureOrientation>(Value) : PictureOrientation::AsStored;
}

// True when the upright picture's width is the stored height (values 5 to 8).
inline bool SwapsSides(PictureOrientation Orientation) { return static_cast<int>(Orientation) >= 5; }

// The upright size of a picture stored StoredWidth x StoredHeight: a quarter
// turn swaps the sides. What every decoder's header check reports.
inline void UprightSize(PictureOrientation Orientation, int64_t StoredWidth, int64_t StoredHeight, int& Width,
                        int& Height) {
  const bool swap = SwapsSides(Orientation);
  Width = static_cast<int>(swap ? StoredHeight : StoredWidth);
  Height = static_cast<int>(swap ? StoredWidth : StoredHeight);
}

}  // namespace sorvane
