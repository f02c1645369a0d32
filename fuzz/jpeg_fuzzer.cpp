// libFuzzer target for the JPEG path: any bytes through the frame-header walk,
// the EXIF block reader (the orientation where WIC offers no metadata), and
// through libjpeg-turbo's decoder and libexif as the photo square and the preview use
// it (size, scaled decodes, whole in-memory decode). Built and run by
// scripts/fuzz.sh.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "byte_source.h"
#include "jpeg_decoder.h"
#include "jpeg_header.h"
#include "picture_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  sorvane::MemoryByteSource source(Data, Size);
  int width = 0, height = 0;
  if (sorvane::ReadJpegFrameSize(source, width, height)) sorvane::JpegSizeFitsFile(width, height, Size);
  std::vector<uint8_t> exif;
  if (sorvane::ReadJpegExifBlock(source, exif)) sorvane::ExifOrientation(exif);
  const sorvane::PictureInput input = sorvane::PictureInput::Memory(Data, Size);
  if (!sorvane::ReadJpegSize(input, width, height)) return 0;
  sorvane::BgrImage image;
  sorvane::LoadJpegScaled(input, 37, 23, image);
  sorvane::DecodeJpegMemory(Data, Size, image);
  return 0;
}
