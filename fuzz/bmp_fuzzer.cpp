// libFuzzer target for our BMP reader: any bytes, read as a BMP from memory,
// for the size and for scaled decodes (reduced, enlarged, and the fitted
// square size). Built and run by scripts/fuzz.sh.

#include <cstddef>
#include <cstdint>

#include "bmp_reader.h"
#include "photo_square.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  sorvane::MemoryByteSource source(Data, Size);
  int width = 0, height = 0;
  if (!sorvane::ReadBmpSize(source, width, height)) return 0;
  sorvane::BgrImage image;
  sorvane::LoadBmpScaled(source, 7, 5, image);
  sorvane::LoadBmpScaled(source, 40, 33, image);
  const sorvane::PhotoFit fit = sorvane::FitPhotoToSquare(width, height);
  if (fit.Width > 0 && fit.Height > 0) sorvane::LoadBmpScaled(source, fit.Width, fit.Height, image);
  return 0;
}
