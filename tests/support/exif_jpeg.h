// Test JPEGs with EXIF data: builds TIFF blocks with chosen IFD entries, well
// formed or damaged, and puts them into a JPEG as an APP1 segment right after
// its start marker. Header only; shared by the photo and dialog tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sorvane::testing {

// One IFD entry. Value is the 4-byte value field: a SHORT sits in its first
// two bytes, as TIFF stores values that fit.
struct TiffEntry {
  uint16_t Tag = 274;
  uint16_t Type = 3;  // 3 SHORT, 4 LONG
  uint32_t Count = 1;
  uint32_t Value = 1;
};

// A TIFF header followed by the first IFD (at offset 8) with Entries and no
// next IFD.
inline std::string TiffBlock(const std::vector<TiffEntry>& Entries, bool BigEndian = false) {
  std::string b;
  auto put16 = [&](unsigned v) {
    if (BigEndian) {
      b += static_cast<char>(v >> 8 & 0xFF);
      b += static_cast<char>(v & 0xFF);
    } else {
      b += static_cast<char>(v & 0xFF);
      b += static_cast<char>(v >> 8 & 0xFF);
    }
  };
  auto put32 = [&](uint32_t v) {
    if (BigEndian) {
      put16(v >> 16);
      put16(v & 0xFFFF);
    } else {
      put16(v & 0xFFFF);
      put16(v >> 16);
    }
  };
  b += BigEndian ? "MM" : "II";
  put16(42);
  put32(8);
  put16(static_cast<unsigned>(Entries.size()));
  for (const TiffEntry& e : Entries) {
    put16(e.Tag);
    put16(e.Type);
    put32(e.Count);
    if (e.Type == 3 && e.Count == 1) {
      put16(e.Value);
      put16(0);
    } else {
      put32(e.Value);
    }
  }
  put32(0);
  return b;
}

// A block whose only tag is the orientation Value (one SHORT).
inline std::string OrientationBlock(unsigned Value, bool BigEndian = false) {
  return TiffBlock({TiffEntry{274, 3, 1, Value}}, BigEndian);
}

// Jpeg with an APP1 segment "Exif\0\0" + Tiff inserted after its start marker.
inline std::string WithExif(const std::string& Jpeg, const std::string& Tiff) {
  const std::string payload = std::string("Exif\0\0", 6) + Tiff;
  const size_t length = payload.size() + 2;
  std::string segment = "\xFF\xE1";
  segment += static_cast<char>(length >> 8 & 0xFF);
  segment += static_cast<char>(length & 0xFF);
  return Jpeg.substr(0, 2) + segment + payload + Jpeg.substr(2);
}

// Where each stored quarter of a picture lies once the orientation is
// applied: for orientation 1 to 8, the stored quarter (0 top-left, 1
// top-right, 2 bottom-left, 3 bottom-right) seen in the upright top-left,
// top-right, bottom-left and bottom-right quarter.
inline const int* UprightQuarters(int Orientation) {
  static const int kTable[9][4] = {
      {0, 1, 2, 3},  // unused
      {0, 1, 2, 3},  // 1 as stored
      {1, 0, 3, 2},  // 2 mirrored left to right
      {3, 2, 1, 0},  // 3 turned half round
      {2, 3, 0, 1},  // 4 mirrored top to bottom
      {0, 2, 1, 3},  // 5 mirrored along the main diagonal
      {2, 0, 3, 1},  // 6 a quarter turn clockwise
      {3, 1, 2, 0},  // 7 mirrored along the other diagonal
      {1, 3, 0, 2},  // 8 a quarter turn anticlockwise
  };
  return kTable[Orientation >= 1 && Orientation <= 8 ? Orientation : 0];
}

}  // namespace sorvane::testing
