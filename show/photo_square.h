// The photo square: the chosen photograph, or a built-in one, fitted into a
// black 512 x 512 square and written as the temporary bitmap that the texture
// is loaded from. Portable.
#pragma once

#include <string>

#include "show_random.h"

namespace sorvane {

// Where the temporary bitmap may go.
enum class PhotoBitmapPlace {
  BesideProgram,     // "Sorvane.bmp" in the program folder, else a private temporary folder
  PrivateTempFolder  // always a newly made private temporary folder (copies running side by side)
};

// The temporary bitmap that was written.
struct PhotoBitmapFile {
  std::string Path;           // the file; empty when nothing could be written
  std::string PrivateFolder;  // the private folder made for it, if any (removed with it)
};

// Composes the square and writes it (786,486 bytes, 512 x 512, 24 bits,
// bottom-up). With an empty PicturePath, or one that cannot be decoded, one of
// the two built-in photographs is used: floor(2 r) with r from Random, which
// the caller has seeded.
PhotoBitmapFile PreparePhotoSquare(const std::string& PicturePath, const std::string& ProgramFolderPath,
                                   ShowRandom& Random, PhotoBitmapPlace Place);

// Deletes the temporary bitmap and its private folder, if any.
void DeletePhotoBitmap(const PhotoBitmapFile& File);

}  // namespace sorvane
