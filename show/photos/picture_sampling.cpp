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

// Works out, for each destination line, the source row it samples and, along
// a line, the source column of each pixel. Sampling runs on the upright
// picture's indices; mirrored indices then find the stored pixel.
NearestRowSampler::NearestRowSampler(int SourceWidth, int SourceHeight, int DestWidth, int DestHeight,
                                     BgrImage& Out, PictureOrientation Orientation)
    : out_(Out) {
  out_.Width = DestWidth;
  out_.Height = DestHeight;
  out_.Pixels.assign(static_cast<size_t>(DestWidth) * static_cast<size_t>(DestHeight) * 3, 0);
  // Which stored axis runs against its upright counterpart.
  bool rowsReversed = false, columnsReversed = false;
  switch (Orientation) {
    case PictureOrientation::MirrorLeftRight: columnsReversed = true; break;
    case PictureOrientation::Turn180: rowsReversed = columnsReversed = true; break;
    case PictureOrientation::MirrorTopBottom: rowsReversed = true; break;
    case PictureOrientation::Transpose: break;
    case PictureOrientation::TurnClockwise: rowsReversed = true; break;
    case PictureOrientation::Transverse: rowsReversed = columnsReversed = true; break;
    case PictureOrientation::TurnAnticlockwise: columnsReversed = true; break;
    default: break;
  }
  linesAreColumns_ = SwapsSides(Orientation);
  backwards_ = rowsReversed;
  // Upright, the stored rows run along the destination's rows, or after a
  // quarter turn along its columns.
  lineCount_ = linesAreColumns_ ? DestWidth : DestHeight;
  const int across = linesAreColumns_ ? DestHeight : DestWidth;
  lineSourceRow_.resize(static_cast<size_t>(lineCount_));
  for (int i = 0; i < lineCount_; ++i) {
    const int upright = NearestSourceIndex(i, SourceHeight, lineCount_);
    lineSourceRow_[static_cast<size_t>(i)] = rowsReversed ? SourceHeight - 1 - upright : upright;
  }
  acrossOffsets_.resize(static_cast<size_t>(across));
  for (int j = 0; j < across; ++j) {
    const int upright = NearestSourceIndex(j, SourceWidth, across);
    acrossOffsets_[static_cast<size_t>(j)] =
        static_cast<uint32_t>(columnsReversed ? SourceWidth - 1 - upright : upright) * 3;
  }
}

// Samples one source row into a destination row or column.
void NearestRowSampler::FillLine(int Line, const uint8_t* BgrRow) {
  const size_t rowBytes = static_cast<size_t>(out_.Width) * 3;
  uint8_t* first = out_.Pixels.data() + (linesAreColumns_ ? static_cast<size_t>(Line) * 3
                                                          : static_cast<size_t>(Line) * rowBytes);
  const size_t step = linesAreColumns_ ? rowBytes : 3;
  for (size_t j = 0; j < acrossOffsets_.size(); ++j) {
    const uint8_t* p = BgrRow + acrossOffsets_[j];
    uint8_t* q = first + j * step;
    q[0] = p[0];
    q[1] = p[1];
    q[2] = p[2];
  }
}

// Samples the row into every destination line that maps to it.
void NearestRowSampler::TakeRow(const uint8_t* BgrRow) {
  if (taken_ >= lineCount_) return;
  const int row = NextSourceRow();
  const int firstLine = NextLine();
  FillLine(firstLine, BgrRow);
  ++taken_;
  // An enlargement repeats the same source row.
  const size_t rowBytes = static_cast<size_t>(out_.Width) * 3;
  for (; taken_ < lineCount_ && NextSourceRow() == row; ++taken_) {
    if (linesAreColumns_) {
      FillLine(NextLine(), BgrRow);
    } else {
      std::memcpy(out_.Pixels.data() + static_cast<size_t>(NextLine()) * rowBytes,
                  out_.Pixels.data() + static_cast<size_t>(firstLine) * rowBytes, rowBytes);
    }
  }
}

}  // namespace sorvane
