// libFuzzer target for the TIFF path: any bytes through the libtiff decoder
// (header, orientation, the scanline and the RGBA band readers), from memory,
// at a shrink and an enlargement. Built and run by scripts/fuzz.sh against the
// system's libtiff, so coverage counts our code only.

#include <cstddef>
#include <cstdint>

#include "tiff_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const sorvane::PictureInput input = sorvane::PictureInput::Memory(Data, Size);
  int width = 0, height = 0;
  if (sorvane::CheckTiff(input, width, height) != sorvane::PictureProblem::NoProblem) return 0;
  sorvane::BgrImage image;
  if (sorvane::LoadTiffScaled(input, 37, 23, image) && (image.Width != 37 || image.Height != 23)) __builtin_trap();
  sorvane::LoadTiffScaled(input, 300, 200, image);
  return 0;
}
