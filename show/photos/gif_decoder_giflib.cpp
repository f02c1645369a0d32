// GIF decoding with giflib (Linux side of gif_decoder.h). giflib has no
// memory limits of its own, so the screen and the first frame's descriptor
// are checked here before anything is allocated: sizes within the picture
// limits, and a frame no larger than its data could possibly code. Rows are
// decoded one at a time with DGifGetLine; a plain frame stops at the last
// row the square samples, an interlaced one (whose rows come in four passes)
// keeps the palette indices of the sampled rows only. Pixels outside the
// frame, transparent ones and indices beyond the colour map are black.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <gif_lib.h>

#include "gif_decoder.h"
#include "paths.h"
#include "picture_sampling.h"

namespace sorvane {
namespace {

// Every LZW code is at least two bits and stands for at most 4096 pixels.
constexpr uint64_t kMaxPixelsPerByte = 4 * 4096;

// Where giflib reads from: an open file or a block of memory.
struct GifSource {
  std::FILE* File = nullptr;
  const unsigned char* Data = nullptr;
  uint64_t Size = 0;  // bytes of the file or of the memory
  uint64_t At = 0;    // read position in memory

  ~GifSource() {
    if (File) std::fclose(File);
  }
};

int ReadSource(GifFileType* Gif, GifByteType* Into, int Count) {
  GifSource& s = *static_cast<GifSource*>(Gif->UserData);
  if (Count <= 0) return 0;
  if (s.File) return static_cast<int>(std::fread(Into, 1, static_cast<size_t>(Count), s.File));
  const uint64_t n = std::min<uint64_t>(static_cast<uint64_t>(Count), s.Size - s.At);
  std::memcpy(Into, s.Data + s.At, static_cast<size_t>(n));
  s.At += n;
  return static_cast<int>(n);
}

struct CloseGif {
  void operator()(GifFileType* Gif) const { DGifCloseFile(Gif, nullptr); }
};

// An open GIF positioned at the first frame's pixels, with what is needed to
// paint them.
struct GifFrame {
  GifSource Source;
  std::unique_ptr<GifFileType, CloseGif> Gif;
  int Transparent = NO_TRANSPARENT_COLOR;
};

// Opens the input and reads up to the first frame's descriptor, checking the
// screen and the frame against the limits and the file's size.
PictureProblem OpenFirstFrame(const PictureInput& Input, GifFrame& F) {
  if (Input.Path) {
    F.Source.File = OpenFile(*Input.Path, "rb");
    if (!F.Source.File) return PictureProblem::Unreadable;
    if (std::fseek(F.Source.File, 0, SEEK_END) != 0 || std::ftell(F.Source.File) < 0)
      return PictureProblem::Unreadable;
    F.Source.Size = static_cast<uint64_t>(std::ftell(F.Source.File));
    std::rewind(F.Source.File);
  } else {
    if (!Input.Data || Input.Size == 0) return PictureProblem::Undecodable;
    F.Source.Data = Input.Data;
    F.Source.Size = Input.Size;
  }
  int error = 0;
  F.Gif.reset(DGifOpen(&F.Source, ReadSource, &error));
  GifFileType* gif = F.Gif.get();
  if (!gif) return PictureProblem::Undecodable;
  if (gif->SWidth <= 0 || gif->SHeight <= 0) return PictureProblem::Undecodable;
  if (!PictureSizeAllowed(gif->SWidth, gif->SHeight)) return PictureProblem::TooLarge;
  for (;;) {
    GifRecordType record;
    if (DGifGetRecordType(gif, &record) == GIF_ERROR) return PictureProblem::Undecodable;
    if (record == TERMINATE_RECORD_TYPE) return PictureProblem::Undecodable;  // no frame at all
    if (record == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* block = nullptr;
      if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return PictureProblem::Undecodable;
      if (code == GRAPHICS_EXT_FUNC_CODE && block) {
        GraphicsControlBlock control;
        if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) F.Transparent = control.TransparentColor;
      }
      while (block)
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return PictureProblem::Undecodable;
      continue;
    }
    if (record != IMAGE_DESC_RECORD_TYPE) return PictureProblem::Undecodable;
    if (DGifGetImageDesc(gif) == GIF_ERROR) return PictureProblem::Undecodable;
    const GifImageDesc& d = gif->Image;
    if (d.Width <= 0 || d.Height <= 0) return PictureProblem::Undecodable;
    if (!PictureSizeAllowed(d.Width, d.Height)) return PictureProblem::TooLarge;
    if (static_cast<uint64_t>(d.Width) * static_cast<uint64_t>(d.Height) > F.Source.Size * kMaxPixelsPerByte)
      return PictureProblem::Undecodable;
    if (!d.ColorMap && !gif->SColorMap) return PictureProblem::Undecodable;
    return PictureProblem::NoProblem;
  }
}

// Paints one screen row: black, with the frame's row of indices (null for a
// screen row outside the frame) over it at its place.
void PaintRow(const GifFrame& F, const GifByteType* Indices, uint8_t* Bgr) {
  const GifFileType* gif = F.Gif.get();
  const int screenWidth = gif->SWidth;
  std::memset(Bgr, 0, static_cast<size_t>(screenWidth) * 3);
  if (!Indices) return;
  const GifImageDesc& d = gif->Image;
  const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
  const int from = std::max(0, d.Left), to = std::min(screenWidth, d.Left + d.Width);
  for (int x = from; x < to; ++x) {
    const int index = Indices[x - d.Left];
    if (index == F.Transparent || index >= map->ColorCount) continue;
    const GifColorType& c = map->Colors[index];
    Bgr[x * 3] = c.Blue;
    Bgr[x * 3 + 1] = c.Green;
    Bgr[x * 3 + 2] = c.Red;
  }
}

// The frame row that screen row Row shows, or -1 when it lies outside.
int FrameRow(const GifFrame& F, int Row) {
  const int r = Row - F.Gif->Image.Top;
  return r >= 0 && r < F.Gif->Image.Height ? r : -1;
}

// A plain frame: rows in order, up to the last one sampled.
bool DecodeInOrder(GifFrame& F, NearestRowSampler& Sampler, std::vector<GifByteType>& Line,
                   std::vector<uint8_t>& Bgr) {
  int decoded = 0;  // frame rows read so far
  for (int row; (row = Sampler.NextSourceRow()) >= 0;) {
    const int frameRow = FrameRow(F, row);
    const GifByteType* indices = nullptr;
    if (frameRow >= 0) {
      for (; decoded <= frameRow; ++decoded)
        if (DGifGetLine(F.Gif.get(), Line.data(), F.Gif->Image.Width) == GIF_ERROR) return false;
      indices = Line.data();
    }
    PaintRow(F, indices, Bgr.data());
    Sampler.TakeRow(Bgr.data());
  }
  return true;
}

// An interlaced frame: every row is decoded in the order of the four passes,
// and the indices of the sampled rows are kept until the frame is complete.
bool DecodeInterlaced(GifFrame& F, int DestHeight, NearestRowSampler& Sampler, std::vector<GifByteType>& Line,
                      std::vector<uint8_t>& Bgr) {
  const GifImageDesc& d = F.Gif->Image;
  const size_t width = static_cast<size_t>(d.Width);
  std::vector<int> slot(static_cast<size_t>(d.Height), -1);  // where a sampled frame row is kept
  int kept = 0;
  for (int i = 0; i < DestHeight; ++i) {
    const int frameRow = FrameRow(F, NearestSourceIndex(i, F.Gif->SHeight, DestHeight));
    if (frameRow >= 0 && slot[static_cast<size_t>(frameRow)] < 0) slot[static_cast<size_t>(frameRow)] = kept++;
  }
  std::vector<GifByteType> rows(static_cast<size_t>(kept) * width);
  static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int r = kStart[pass]; r < d.Height; r += kStep[pass]) {
      const int s = slot[static_cast<size_t>(r)];
      GifByteType* into = s >= 0 ? rows.data() + static_cast<size_t>(s) * width : Line.data();
      if (DGifGetLine(F.Gif.get(), into, d.Width) == GIF_ERROR) return false;
    }
  for (int row; (row = Sampler.NextSourceRow()) >= 0;) {
    const int frameRow = FrameRow(F, row);
    const GifByteType* indices =
        frameRow >= 0 ? rows.data() + static_cast<size_t>(slot[static_cast<size_t>(frameRow)]) * width : nullptr;
    PaintRow(F, indices, Bgr.data());
    Sampler.TakeRow(Bgr.data());
  }
  return true;
}

}  // namespace

PictureProblem CheckGif(const PictureInput& Input, int& Width, int& Height) {
  GifFrame f;
  const PictureProblem problem = OpenFirstFrame(Input, f);
  if (problem != PictureProblem::NoProblem) return problem;
  Width = f.Gif->SWidth;
  Height = f.Gif->SHeight;
  return PictureProblem::NoProblem;
}

bool LoadGifScaled(const PictureInput& Input, int DestWidth, int DestHeight, BgrImage& Out) {
  if (!ScaledSizeAllowed(DestWidth, DestHeight)) return false;
  GifFrame f;
  if (OpenFirstFrame(Input, f) != PictureProblem::NoProblem) return false;
  std::vector<GifByteType> line(static_cast<size_t>(f.Gif->Image.Width));
  std::vector<uint8_t> bgr(static_cast<size_t>(f.Gif->SWidth) * 3);
  BgrImage result;
  NearestRowSampler sampler(f.Gif->SWidth, f.Gif->SHeight, DestWidth, DestHeight, result);
  const bool ok = f.Gif->Image.Interlace ? DecodeInterlaced(f, DestHeight, sampler, line, bgr)
                                         : DecodeInOrder(f, sampler, line, bgr);
  if (!ok) return false;
  Out = std::move(result);
  return true;
}

}  // namespace sorvane
