// Whole JPEGs held in memory, the built-in pictures (see picture_file.h): the
// platform's JPEG decoder at the picture's own size. Apart from the file
// dispatch in picture_file.cpp, so that the JPEG fuzz target links no other
// format's decoder.

#include "jpeg_decoder.h"
#include "picture_file.h"

namespace sorvane {

// A whole in-memory JPEG at its own size.
bool DecodeJpegMemory(const unsigned char* Data, std::size_t Size, BgrImage& Out) {
  constexpr int kLargest = 4096;
  const PictureInput input = PictureInput::Memory(Data, Size);
  int width = 0, height = 0;
  if (!ReadJpegSize(input, width, height) || width > kLargest || height > kLargest) return false;
  return LoadJpegScaled(input, width, height, Out);
}

}  // namespace sorvane
