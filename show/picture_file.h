// Reading photographs (BMP and JPEG) for the show, the preview and the
// settings dialog's sample. Portable interface; JPEG decoding is done by
// libjpeg-turbo on Linux and by the Windows Imaging Component on Windows, BMP
// by our own reader on both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sorvane {

// A picture in memory: top-down rows of Width pixels, 3 bytes each in the
// order blue, green, red, no padding between rows.
struct BgrImage {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Pixels;
};

// Size in pixels of the BMP or JPEG file at Path (narrow-encoded path). False
// when the file is missing or not a picture we can decode.
bool ReadPictureSize(const std::string& Path, int& Width, int& Height);

// Decodes the picture at Path straight to DstWidth x DstHeight pixels,
// nearest-neighbour (rows and columns that a shrink drops are skipped, never
// blended). Memory does not grow with the photograph's size. False on any
// decoding error or a non-positive destination size.
bool LoadPictureScaled(const std::string& Path, int DstWidth, int DstHeight, BgrImage& Out);

// Decodes a whole JPEG held in memory (the built-in pictures). Refuses
// pictures larger than 4096 x 4096.
bool DecodeJpegMemory(const unsigned char* Data, std::size_t Size, BgrImage& Out);

}  // namespace sorvane
