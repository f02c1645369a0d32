// Reading a JPEG's frame header and EXIF block by walking its markers (see
// jpeg_header.h).

#include "jpeg_header.h"

#include <algorithm>
#include <cstring>

#include "picture_sampling.h"

namespace sorvane {

namespace {

// Calls Visit(marker, offset of the segment's length field, length) for each
// segment with a length, in file order, until Visit returns true (then true)
// or the scan data, the end of the picture or damaged markers come (false).
template <class Visitor>
bool VisitSegments(ByteSource& Source, Visitor Visit) {
  uint8_t b[2];
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
    if (marker == 0xD9 || marker == 0xDA) return false;                 // no more headers
    if (!Source.ReadAt(at, b, 2)) return false;
    const unsigned length = static_cast<unsigned>(b[0]) << 8 | b[1];
    if (length < 2) return false;
    if (Visit(marker, at, length)) return true;
    at += length;
  }
  return false;
}

}  // namespace

// Up to the first SOFn.
bool ReadJpegFrameSize(ByteSource& Source, int& Width, int& Height) {
  bool found = false;
  VisitSegments(Source, [&](uint8_t Marker, uint64_t At, unsigned Length) {
    const bool frame = Marker >= 0xC0 && Marker <= 0xCF && Marker != 0xC4 && Marker != 0xC8 && Marker != 0xCC;
    if (!frame) return false;
    uint8_t b[7];
    if (Length < 8 || !Source.ReadAt(At, b, 7)) return true;
    Height = b[3] << 8 | b[4];
    Width = b[5] << 8 | b[6];
    found = PictureSizeAllowed(Width, Height);
    return true;
  });
  return found;
}

// Up to the first APP1 segment that starts with the EXIF header.
bool ReadJpegExifBlock(ByteSource& Source, std::vector<uint8_t>& Tiff) {
  static const uint8_t kHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
  bool found = false;
  VisitSegments(Source, [&](uint8_t Marker, uint64_t At, unsigned Length) {
    uint8_t header[6];
    if (Marker != 0xE1 || Length < 2 + sizeof header || !Source.ReadAt(At + 2, header, sizeof header) ||
        std::memcmp(header, kHeader, sizeof header) != 0)
      return false;
    Tiff.resize(Length - 2 - sizeof header);
    found = Source.ReadAt(At + 2 + sizeof header, Tiff.data(), Tiff.size());
    if (!found) Tiff.clear();
    return true;
  });
  return found;
}

// Byte order from the TIFF header, then a walk over the first IFD's entries.
PictureOrientation ExifOrientation(const std::vector<uint8_t>& Tiff) {
  const size_t size = Tiff.size();
  if (size < 8) return PictureOrientation::AsStored;
  bool bigEndian;
  if (Tiff[0] == 'I' && Tiff[1] == 'I') {
    bigEndian = false;
  } else if (Tiff[0] == 'M' && Tiff[1] == 'M') {
    bigEndian = true;
  } else {
    return PictureOrientation::AsStored;
  }
  auto u16 = [&](size_t At) -> unsigned {
    return bigEndian ? (Tiff[At] << 8 | Tiff[At + 1]) : (Tiff[At] | Tiff[At + 1] << 8);
  };
  auto u32 = [&](size_t At) -> uint64_t {
    return bigEndian ? (uint64_t{u16(At)} << 16 | u16(At + 2)) : (uint64_t{u16(At + 2)} << 16 | u16(At));
  };
  const uint64_t ifd = u32(4);
  if (ifd + 2 > size) return PictureOrientation::AsStored;
  const uint64_t fitting = (size - ifd - 2) / 12;
  const uint64_t entries = std::min<uint64_t>(u16(static_cast<size_t>(ifd)), fitting);
  for (uint64_t i = 0; i < entries; ++i) {
    const size_t at = static_cast<size_t>(ifd + 2 + 12 * i);
    if (u16(at) != 274) continue;
    constexpr unsigned kShort = 3;
    if (u16(at + 2) != kShort || u32(at + 4) != 1) return PictureOrientation::AsStored;
    return OrientationFromTag(static_cast<long>(u16(at + 8)));
  }
  return PictureOrientation::AsStored;
}

// One bit per 16 x 16 pixels at least.
bool JpegSizeFitsFile(int Width, int Height, uint64_t FileSize) {
  const uint64_t blocks = (static_cast<uint64_t>(Width) + 15) / 16 * ((static_cast<uint64_t>(Height) + 15) / 16);
  return FileSize * 8 >= blocks;
}

}  // namespace sorvane
