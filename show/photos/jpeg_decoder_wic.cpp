// JPEG decoding with the Windows Imaging Component (Windows side of
// jpeg_decoder.h; Linux uses jpeg_decoder_libjpeg.cpp). Our own look at the
// frame header (jpeg_header.cpp) comes first, so WIC never sees a JPEG whose
// claimed size is beyond the limits or beyond what the file could hold; the
// decoding itself is the shared WIC path of picture_decoder_wic.cpp (24bppBGR
// rows, copied only where sampled). The EXIF orientation comes from the
// frame's metadata query reader; where the decoder offers no metadata at all
// (Wine's JPEG decoder lists none), from the file's EXIF block.

#include <vector>

#include "byte_source.h"
#include "jpeg_decoder.h"
#include "jpeg_header.h"
#include "picture_decoder_wic.h"
#include "picture_sampling.h"

namespace sorvane {
namespace {

// Largest frame handed to WIC: its whole frame, even at 4 bytes a pixel,
// stays below 2 GB (some WIC implementations hold the whole frame, and
// overflow beyond that).
constexpr uint64_t kMaxWicPixels = (uint64_t{1} << 31) / 4;

// Checks the frame header ourselves before WIC sees the file: a size beyond
// the limits, or one the file is far too short to hold, is refused here. A
// plausible file's EXIF block is kept in Exif.
bool PlausibleJpeg(ByteSource& Source, std::vector<uint8_t>& Exif) {
  int width = 0, height = 0;
  if (!ReadJpegFrameSize(Source, width, height) || !JpegSizeFitsFile(width, height, Source.Size()) ||
      static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxWicPixels)
    return false;
  if (!ReadJpegExifBlock(Source, Exif)) Exif.clear();
  return true;
}

// The header check on the file or the memory.
bool PlausibleJpegInput(const PictureInput& Input, std::vector<uint8_t>& Exif) {
  if (Input.Path) {
    FileByteSource source(*Input.Path);
    return source.IsOpen() && PlausibleJpeg(source, Exif);
  }
  MemoryByteSource source(Input.Data, Input.Data ? Input.Size : 0);
  return PlausibleJpeg(source, Exif);
}

// What the shared WIC path is told about a JPEG.
WicRequest JpegRequest(const std::vector<uint8_t>& Exif) {
  WicRequest request;
  request.Container = &GUID_ContainerFormatJpeg;
  request.MaxPixels = kMaxWicPixels;
  request.Jpeg = true;
  request.Exif = &Exif;
  request.Kind = PictureKind::Jpeg;
  return request;
}

}  // namespace

// The frame's size upright: a quarter turn swaps the sides.
bool ReadJpegSize(const PictureInput& Input, int& Width, int& Height) {
  std::vector<uint8_t> exif;
  return PlausibleJpegInput(Input, exif) &&
         CheckWicPicture(Input, JpegRequest(exif), Width, Height) == PictureProblem::NoProblem;
}

// A refusal for the size is told apart by our own look at the frame header.
PictureProblem CheckJpeg(const PictureInput& Input, int& Width, int& Height) {
  if (ReadJpegSize(Input, Width, Height)) return PictureProblem::NoProblem;
  int width = 0, height = 0;
  bool framed = false;
  if (Input.Path) {
    FileByteSource source(*Input.Path);
    framed = source.IsOpen() && ReadJpegFrameSize(source, width, height);
  } else {
    MemoryByteSource source(Input.Data, Input.Data ? Input.Size : 0);
    framed = ReadJpegFrameSize(source, width, height);
  }
  const bool tooLarge = framed && (!PictureSizeAllowed(width, height) ||
                                   static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxWicPixels);
  return tooLarge ? PictureProblem::TooLarge : PictureProblem::Undecodable;
}

// Copies the sampled rows one by one.
bool LoadJpegScaled(const PictureInput& Input, int DestWidth, int DestHeight, BgrImage& Out) {
  if (!ScaledSizeAllowed(DestWidth, DestHeight)) return false;
  std::vector<uint8_t> exif;
  return PlausibleJpegInput(Input, exif) && LoadWicPictureScaled(Input, JpegRequest(exif), DestWidth, DestHeight, Out);
}

}  // namespace sorvane
