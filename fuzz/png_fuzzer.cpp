// libFuzzer target for the PNG path: any bytes, from memory, through the
// header check and scaled decodes (reduced, and enlarged) by libpng as the
// photo square uses it. Built and run by scripts/fuzz.sh.

#include <cstddef>
#include <cstdint>

#include "png_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const sorvane::PictureInput input = sorvane::PictureInput::Memory(Data, Size);
  int width = 0, height = 0;
  if (sorvane::CheckPng(input, width, height) != sorvane::PictureProblem::NoProblem) return 0;
  sorvane::BgrImage image;
  sorvane::LoadPngScaled(input, 37, 23, image);
  if (width <= 64 && height <= 64) sorvane::LoadPngScaled(input, width * 2, height * 2, image);
  return 0;
}
