// Uploading the temporary bitmap, or a picture in memory, as the show's
// texture (LoadPhotoTexture and UploadPhotoTexture in photo_texture.h).
// Reading and checking the pixels is ReadPhotoBitmap's and
// PhotoBitmapPixelsOf's job; this file only talks to OpenGL and reports a
// refusal. Both ways end in the same upload, so they give the same texture.

#include <GL/gl.h>

#include "photo_texture.h"
#include "report_error.h"

namespace sorvane {
namespace {

constexpr GLenum kBgrExt = 0x80E0;  // GL_BGR_EXT

// Generate, bind, filter and upload; the first stored row (the picture's
// bottom row) becomes texture row 0.
void Upload(const PhotoBitmapPixels& bitmap, unsigned int& PhotoTexture) {
  GLuint name = 0;
  glGenTextures(1, &name);
  PhotoTexture = name;
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, 3, bitmap.Width, bitmap.Height, 0, kBgrExt, GL_UNSIGNED_BYTE,
               bitmap.Pixels.data());
}

}  // namespace

bool LoadPhotoTexture(const std::string& BitmapPath, unsigned int& PhotoTexture) {
  PhotoBitmapPixels bitmap;
  std::string error;
  if (!ReadPhotoBitmap(BitmapPath, bitmap, error)) {
    ReportError(error, BitmapPath);
    return false;
  }
  Upload(bitmap, PhotoTexture);
  return true;
}

bool UploadPhotoTexture(const BgrImage& Picture, unsigned int& PhotoTexture) {
  PhotoBitmapPixels bitmap;
  std::string error;
  if (!PhotoBitmapPixelsOf(Picture, bitmap, error)) {
    ReportError(error, "");
    return false;
  }
  Upload(bitmap, PhotoTexture);
  return true;
}

}  // namespace sorvane
