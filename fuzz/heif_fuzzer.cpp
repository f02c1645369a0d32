// libFuzzer target for the HEIF and AVIF path: any bytes through libheif (the
// system's library, not instrumented, so coverage counts our side only) as the
// photo square uses it: the checked size, then a scaled decode from memory.
// Built and run by scripts/fuzz.sh.

#include <cstddef>
#include <cstdint>

#include "heif_decoder.h"
#include "picture_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const sorvane::PictureInput input = sorvane::PictureInput::Memory(Data, Size);
  int width = 0, height = 0;
  if (sorvane::CheckHeif(input, width, height) != sorvane::PictureProblem::NoProblem) return 0;
  sorvane::BgrImage image;
  sorvane::LoadHeifScaled(input, 37, 23, image);
  return 0;
}
