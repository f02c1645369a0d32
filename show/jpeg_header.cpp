// Reading a JPEG's frame header by walking its markers (see jpeg_header.h).

#include "jpeg_header.h"

#include "picture_sampling.h"

namespace sorvane {

// Walks the marker segments up to the first SOFn.
bool ReadJpegFrameSize(ByteSource& Source, int& Width, int& Height) {
  uint8_t b[9];
  if (!Source.ReadAt(0, b, 2) || b[0] != 0xFF || b[1] != 0xD8) return false;
  uint64_t at = 2;
  for (int segments = 0; segments < 10000; ++segments) {
    if (!Source.ReadAt(at, b, 2) || b[0] != 0xFF) return false;
    uint8_t marker = b[1];
    while (marker == 0xFF) {  // fill bytes
      ++at;
      if (!Source.ReadAt(at, b, 2)) return false;
      marker = b[1];
    }
    at += 2;
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
    if (marker == 0xD9 || marker == 0xDA) return false;                 // no frame before the data
    if (!Source.ReadAt(at, b, 2)) return false;
    const unsigned length = static_cast<unsigned>(b[0]) << 8 | b[1];
    if (length < 2) return false;
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (length < 8 || !Source.ReadAt(at, b, 7)) return false;
      Height = b[3] << 8 | b[4];
      Width = b[5] << 8 | b[6];
      return PictureSizeAllowed(Width, Height);
    }
    at += length;
  }
  return false;
}

// One bit per 16 x 16 pixels at least.
bool JpegSizeFitsFile(int Width, int Height, uint64_t FileSize) {
  const uint64_t blocks = (static_cast<uint64_t>(Width) + 15) / 16 * ((static_cast<uint64_t>(Height) + 15) / 16);
  return FileSize * 8 >= blocks;
}

}  // namespace sorvane
