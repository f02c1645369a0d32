// Loading the temporary bitmap back as the show's one OpenGL texture.
// Portable; needs a current rendering context.
#pragma once

#include <string>

namespace sorvane {

// Reads the 24-bit bitmap at BitmapPath and uploads it with GL_BGR_EXT to a
// new texture, stored in PhotoTexture. A missing, short or non-24-bit file is
// reported (a message box on Windows, a line on standard error on Linux) and
// gives false.
bool LoadPhotoTexture(const std::string& BitmapPath, unsigned int& PhotoTexture);

}  // namespace sorvane
