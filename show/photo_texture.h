// Loading the temporary bitmap back as the show's one OpenGL texture, or,
// when no bitmap could be written, the photo square straight from memory.
// ReadPhotoBitmap and PhotoBitmapPixelsOf are portable and need no OpenGL;
// LoadPhotoTexture and UploadPhotoTexture need a current rendering context.
// None of them writes the bitmap (photo_square.h does).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "picture_file.h"

namespace sorvane {

// The largest side a texture bitmap may claim.
constexpr int kMaxPhotoTextureSide = 4096;

// A 24-bit bitmap's pixels as stored: rows bottom-up, blue-green-red, each
// row padded to a multiple of 4 bytes (OpenGL's default unpack alignment).
struct PhotoBitmapPixels {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Pixels;
};

// Reads the 14 + 40 header bytes and the pixels right after them. A missing or
// short file, a depth other than 24 bits, or a width or height outside 1 to
// 4096 gives false with a one-line description of the error in Error (UTF-8,
// without the file's name: the caller has that in its own encoding).
bool ReadPhotoBitmap(const std::string& BitmapPath, PhotoBitmapPixels& Out, std::string& Error);

// Picture (top-down rows, as ComposePhotoSquare gives it) laid out as
// ReadPhotoBitmap would give it from the bitmap file of the same picture:
// rows bottom-up, each padded to a multiple of 4 bytes. An empty picture,
// pixels that do not match its size, or a side outside 1 to 4096 give false
// with a one-line description in Error.
bool PhotoBitmapPixelsOf(const BgrImage& Picture, PhotoBitmapPixels& Out, std::string& Error);

// Reads the 24-bit bitmap at BitmapPath and uploads it with GL_BGR_EXT to a
// new texture, stored in PhotoTexture. A missing, short or non-24-bit file is
// reported (a message box on Windows, a line on standard error on Linux) and
// gives false.
bool LoadPhotoTexture(const std::string& BitmapPath, unsigned int& PhotoTexture);

// Uploads Picture from memory to a new texture, stored in PhotoTexture, with
// the same OpenGL calls and row order as LoadPhotoTexture, so the texture is
// the one the bitmap file of that picture would give. A picture that
// PhotoBitmapPixelsOf refuses is reported and gives false.
bool UploadPhotoTexture(const BgrImage& Picture, unsigned int& PhotoTexture);

}  // namespace sorvane
