// Uploading the temporary bitmap as the show's texture (LoadPhotoTexture in
// photo_texture.h). Reading and checking the file is ReadPhotoBitmap's job;
// this file only talks to OpenGL and reports a refusal.

#include <GL/gl.h>

#include "photo_texture.h"
#include "report_error.h"

namespace sorvane {
namespace {

constexpr GLenum kBgrExt = 0x80E0;  // GL_BGR_EXT

}  // namespace

// Read, then generate, bind, filter and upload; the first file row becomes
// texture row 0.
bool LoadPhotoTexture(const std::string& BitmapPath, unsigned int& PhotoTexture) {
  PhotoBitmapPixels bitmap;
  std::string error;
  if (!ReadPhotoBitmap(BitmapPath, bitmap, error)) {
    ReportError(error, BitmapPath);
    return false;
  }
  GLuint name = 0;
  glGenTextures(1, &name);
  PhotoTexture = name;
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, 3, bitmap.Width, bitmap.Height, 0, kBgrExt, GL_UNSIGNED_BYTE,
               bitmap.Pixels.data());
  return true;
}

}  // namespace sorvane
