// libFuzzer target for the WebP path: any bytes, from memory, through the
// header check and scaled decodes (reduced, and enlarged) by libwebp (and its demuxer for the EXIF chunk) as the
// photo square uses it. Built and run by scripts/fuzz.sh.

#include <cstddef>
#include <cstdint>

#include "webp_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const sorvane::PictureInput input = sorvane::PictureInput::Memory(Data, Size);
  int width = 0, height = 0;
  if (sorvane::CheckWebP(input, width, height) != sorvane::PictureProblem::NoProblem) return 0;
  sorvane::BgrImage image;
  sorvane::LoadWebPScaled(input, 37, 23, image);
  if (width <= 64 && height <= 64) sorvane::LoadWebPScaled(input, width * 2, height * 2, image);
  return 0;
}
