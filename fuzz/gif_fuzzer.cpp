// libFuzzer target for the GIF path: any bytes through the giflib decoder's
// header checks and its scaled decode, from memory, at a shrink and an
// enlargement. Built and run by scripts/fuzz.sh, with giflib's decoder
// compiled in from Debian's source with the same sanitizers.

#include <cstddef>
#include <cstdint>

#include "gif_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const sorvane::PictureInput input = sorvane::PictureInput::Memory(Data, Size);
  int width = 0, height = 0;
  if (sorvane::CheckGif(input, width, height) != sorvane::PictureProblem::NoProblem) return 0;
  sorvane::BgrImage image;
  if (sorvane::LoadGifScaled(input, 37, 23, image) && (image.Width != 37 || image.Height != 23)) __builtin_trap();
  sorvane::LoadGifScaled(input, 300, 200, image);
  return 0;
}
