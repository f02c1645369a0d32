// Nearest-neighbour sampling shared by every picture decoder (pairs with
// picture_sampling.cpp): which source rows and columns a scaled picture takes,
// and the size limits every decoder applies before it allocates anything. It
// decodes nothing itself.
#pragma once

#include <cstdint>
#include <vector>

#include "picture_file.h"
#include "picture_orientation.h"

namespace sorvane {

// Largest picture side we decode, and largest number of source pixels: a
// header that claims more is refused before any allocation.
constexpr int kMaxPictureSide = 65535;
constexpr uint64_t kMaxPicturePixels = uint64_t{1} << 31;

// Largest number of pixels a scaled picture may have (the show asks for at
// most 512 x 512; this only stops a wild request).
constexpr uint64_t kMaxScaledPixels = uint64_t{1} << 26;

// True when a picture of Width x Height is within the limits above.
bool PictureSizeAllowed(int64_t Width, int64_t Height);

// True when Width x Height is a size a picture may be scaled to.
bool ScaledSizeAllowed(int64_t Width, int64_t Height);

// The source index that destination index Index samples when SourceLength
// pixels are stretched to DestLength, the way a COLORONCOLOR StretchBlt
// drops rows and columns: floor((Index + 0.5) * SourceLength / DestLength).
int NearestSourceIndex(int Index, int SourceLength, int DestLength);

// Builds a scaled picture from source rows given in increasing order. The
// decoder asks which source row is needed next, skips to it, and hands it
// over as SourceWidth blue-green-red pixels; rows nobody samples are never
// kept. With an orientation other than AsStored the picture is built upright:
// DestWidth x DestHeight is the size of the scaled upright picture, each of
// its pixels samples the upright picture exactly as an upright stored picture
// would be sampled, and is then fetched from where the orientation put it in
// the stored rows. A quarter turn makes each source row fill destination
// columns instead of rows; still no more source rows are asked for than the
// destination has lines.
class NearestRowSampler {
 public:
  // Out is resized to DestWidth x DestHeight. All positive.
  NearestRowSampler(int SourceWidth, int SourceHeight, int DestWidth, int DestHeight, BgrImage& Out,
                    PictureOrientation Orientation = PictureOrientation::AsStored);

  // The next source row to hand over, or -1 when the picture is complete.
  int NextSourceRow() const { return taken_ < lineCount_ ? lineSourceRow_[static_cast<size_t>(NextLine())] : -1; }

  // Takes the row NextSourceRow() asked for (SourceWidth pixels, 3 bytes each).
  void TakeRow(const uint8_t* BgrRow);

 private:
  // The destination line (a row, or a column after a quarter turn) to fill next.
  int NextLine() const { return backwards_ ? lineCount_ - 1 - taken_ : taken_; }
  // Fills destination line Line from a source row.
  void FillLine(int Line, const uint8_t* BgrRow);

  BgrImage& out_;
  bool linesAreColumns_ = false;  // a quarter turn: source rows become destination columns
  bool backwards_ = false;        // source rows run against the destination lines
  int lineCount_ = 0;
  int taken_ = 0;                        // lines filled so far
  std::vector<int> lineSourceRow_;       // the source row of each destination line
  std::vector<uint32_t> acrossOffsets_;  // byte offset in a source row of each pixel along a line
};
}  // namespace sorvane
