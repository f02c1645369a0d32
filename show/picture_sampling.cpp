// Nearest-neighbour row and column mapping for the picture decoders (see
// picture_sampling.h).

#include "picture_sampling.h"

#include <cstring>

namespace sorvane {

// Checks a claimed picture size against the decoding limits.
bool PictureSizeAllowed(int64_t Width, int64_t Height) {
  if (Width < 1 || Height < 1) return false;
  if (Width > kMaxPictureSide || Height > kMaxPictureSide) return false;
  return static_cast<uint64_t>(Width) * static_cast<uint64_t>(Height) <= kMaxPicturePixels;
}

// Checks a requested destination size.
bool ScaledSizeAllowed(int64_t Width, int64_t Height) {
  return PictureSizeAllowed(Width, Height) &&
         static_cast<uint64_t>(Width) * static_cast<uint64_t>(Height) <= kMaxScaledPixels;
}

// floor((Index + 0.5) * SourceLength / DestLength) in exact integer arithmetic.
int NearestSourceIndex(int Index, int SourceLength, int DestLength) {
  const uint64_t numerator = (2 * static_cast<uint64_t>(Index) + 1) * static_cast<uint64_t>(SourceLength);
  const uint64_t source = numerator / (2 * static_cast<uint64_t>(DestLength));
  return source < static_cast<uint64_t>(SourceLength) ? static_cast<int>(source) : SourceLength - 1;
}

// Prepares the column table and the output picture.
NearestRowSampler::NearestRowSampler(int SourceWidth, int SourceHeight, int DestWidth, int DestHeight,
                                     BgrImage& Out)
    : out_(Out), sourceHeight_(SourceHeight) {
  out_.Width = DestWidth;
  out_.Height = DestHeight;
  out_.Pixels.assign(static_cast<size_t>(DestWidth) * static_cast<size_t>(DestHeight) * 3, 0);
  columnOffsets_.resize(static_cast<size_t>(DestWidth));
  for (int x = 0; x < DestWidth; ++x)
    columnOffsets_[static_cast<size_t>(x)] = static_cast<uint32_t>(NearestSourceIndex(x, SourceWidth, DestWidth)) * 3;
  sourceRowOfNext_ = NearestSourceIndex(0, sourceHeight_, out_.Height);
}

// Samples the row into every destination row that maps to it.
void NearestRowSampler::TakeRow(const uint8_t* BgrRow) {
  if (nextDestRow_ >= out_.Height) return;
  const size_t rowBytes = static_cast<size_t>(out_.Width) * 3;
  uint8_t* first = out_.Pixels.data() + static_cast<size_t>(nextDestRow_) * rowBytes;
  for (size_t x = 0; x < columnOffsets_.size(); ++x) {
    const uint8_t* p = BgrRow + columnOffsets_[x];
    first[x * 3] = p[0];
    first[x * 3 + 1] = p[1];
    first[x * 3 + 2] = p[2];
  }
  const int row = sourceRowOfNext_;
  ++nextDestRow_;
  // An enlargement repeats the same source row.
  while (nextDestRow_ < out_.Height &&
         (sourceRowOfNext_ = NearestSourceIndex(nextDestRow_, sourceHeight_, out_.Height)) == row) {
    std::memcpy(out_.Pixels.data() + static_cast<size_t>(nextDestRow_) * rowBytes, first, rowBytes);
    ++nextDestRow_;
  }
}

}  // namespace sorvane
