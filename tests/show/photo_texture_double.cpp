// Test double of LoadPhotoTexture and UploadPhotoTexture for the scene's tests
// while the photo part's loader is not in the tree: reads a 54-byte-header
// 24-bit bottom-up bitmap, or takes a top-down picture from memory, and
// uploads it bottom-up with GL_BGR_EXT. Test-only; no error reporting.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif
#include <GL/gl.h>

#include "photo_texture.h"

namespace sorvane {
namespace {

// Uploads rows stored bottom-up without padding.
void UploadBottomUp(int Width, int Height, const std::vector<unsigned char>& Pixels, unsigned int& PhotoTexture) {
  glGenTextures(1, &PhotoTexture);
  glBindTexture(GL_TEXTURE_2D, PhotoTexture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, 3, Width, Height, 0, 0x80E0 /* GL_BGR_EXT */, GL_UNSIGNED_BYTE, Pixels.data());
}

}  // namespace

// Reads the bitmap and uploads it; false for anything but 24-bit files.
bool LoadPhotoTexture(const std::string& BitmapPath, unsigned int& PhotoTexture) {
  std::FILE* File = std::fopen(BitmapPath.c_str(), "rb");
  if (File == nullptr) return false;
  unsigned char Header[54];
  bool Ok = std::fread(Header, 1, sizeof Header, File) == sizeof Header;
  const auto Le32 = [&](int At) {
    return static_cast<int32_t>(Header[At] | Header[At + 1] << 8 | Header[At + 2] << 16 |
                                static_cast<uint32_t>(Header[At + 3]) << 24);
  };
  const int32_t Width = Ok ? Le32(18) : 0, Height = Ok ? Le32(22) : 0;
  Ok = Ok && Header[28] == 24 && Width > 0 && Height > 0 && Width <= 4096 && Height <= 4096;
  std::vector<unsigned char> Pixels(Ok ? static_cast<size_t>(Width) * Height * 3 : 0);
  Ok = Ok && std::fread(Pixels.data(), 1, Pixels.size(), File) == Pixels.size();
  std::fclose(File);
  if (!Ok) return false;
  UploadBottomUp(Width, Height, Pixels, PhotoTexture);
  return true;
}

// Turns the rows over and uploads them; false for a picture of no size.
bool UploadPhotoTexture(const BgrImage& Picture, unsigned int& PhotoTexture) {
  const size_t RowBytes = static_cast<size_t>(Picture.Width) * 3;
  if (Picture.Width < 1 || Picture.Height < 1 || Picture.Pixels.size() != RowBytes * Picture.Height) return false;
  std::vector<unsigned char> Pixels(Picture.Pixels.size());
  for (int Row = 0; Row < Picture.Height; ++Row)
    std::copy_n(&Picture.Pixels[(Picture.Height - 1 - Row) * RowBytes], RowBytes, &Pixels[Row * RowBytes]);
  UploadBottomUp(Picture.Width, Picture.Height, Pixels, PhotoTexture);
  return true;
}

}  // namespace sorvane
