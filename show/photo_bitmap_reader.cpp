// Reading the temporary bitmap for the texture (ReadPhotoBitmap in
// photo_texture.h), and laying out a picture in memory the same way
// (PhotoBitmapPixelsOf). Portable and free of OpenGL, so its refusals can be
// tested without a rendering context; photo_texture.cpp does the upload.

#include <cstdio>
#include <cstring>
#include <new>

#include "paths.h"
#include "photo_texture.h"

namespace sorvane {
namespace {

// Little-endian fields of the headers.
int32_t S32(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}
int U16(const uint8_t* p) { return p[0] | p[1] << 8; }

// Closes the file on every way out.
struct FileCloser {
  std::FILE* File;
  ~FileCloser() {
    if (File) std::fclose(File);
  }
};

// Bytes of one stored row: 3 per pixel, padded to a multiple of 4.
size_t StoredRowBytes(int32_t Width) { return (static_cast<size_t>(Width) * 3 + 3) & ~static_cast<size_t>(3); }

}  // namespace

// Headers, checks, then the rows right after the headers.
bool ReadPhotoBitmap(const std::string& BitmapPath, PhotoBitmapPixels& Out, std::string& Error) {
  FileCloser file{OpenFile(BitmapPath, "rb")};
  if (!file.File) {
    Error = "ファイルが見つかりません";
    return false;
  }
  uint8_t header[14 + 40];
  if (std::fread(header, 1, sizeof header, file.File) != sizeof header) {
    Error = "ファイルが途中で終わっています (ヘッダ)";
    return false;
  }
  const int32_t width = S32(header + 18);
  const int32_t height = S32(header + 22);
  const int bits = U16(header + 28);
  if (bits != 24) {
    Error = "24 ビットのビットマップではありません (" + std::to_string(bits) + " ビット)";
    return false;
  }
  if (width < 1 || width > kMaxPhotoTextureSide || height < 1 || height > kMaxPhotoTextureSide) {
    Error = "ビットマップの大きさが正しくありません (" + std::to_string(width) + " x " + std::to_string(height) +
            ")";
    return false;
  }
  const size_t stride = StoredRowBytes(width);
  PhotoBitmapPixels result;
  try {
    result.Pixels.resize(stride * static_cast<size_t>(height));
  } catch (const std::bad_alloc&) {
    Error = "メモリが不足しています";
    return false;
  }
  if (std::fread(result.Pixels.data(), 1, result.Pixels.size(), file.File) != result.Pixels.size()) {
    Error = "ファイルが途中で終わっています (画素)";
    return false;
  }
  result.Width = width;
  result.Height = height;
  Out = std::move(result);
  return true;
}

// The picture's rows from the bottom up, each padded as a file row is.
bool PhotoBitmapPixelsOf(const BgrImage& Picture, PhotoBitmapPixels& Out, std::string& Error) {
  const int width = Picture.Width, height = Picture.Height;
  if (width < 1 || width > kMaxPhotoTextureSide || height < 1 || height > kMaxPhotoTextureSide) {
    Error = "画像の大きさが正しくありません (" + std::to_string(width) + " x " + std::to_string(height) + ")";
    return false;
  }
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  if (Picture.Pixels.size() != rowBytes * static_cast<size_t>(height)) {
    Error = "画像の画素数が大きさと合いません";
    return false;
  }
  const size_t stride = StoredRowBytes(width);
  PhotoBitmapPixels result;
  try {
    result.Pixels.assign(stride * static_cast<size_t>(height), 0);
  } catch (const std::bad_alloc&) {
    Error = "メモリが不足しています";
    return false;
  }
  for (int row = 0; row < height; ++row) {
    const int fromTop = height - 1 - row;
    std::memcpy(result.Pixels.data() + static_cast<size_t>(row) * stride,
                Picture.Pixels.data() + static_cast<size_t>(fromTop) * rowBytes, rowBytes);
  }
  result.Width = width;
  result.Height = height;
  Out = std::move(result);
  return true;
}

}  // namespace sorvane
