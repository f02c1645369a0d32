// Writing and deleting the temporary bitmap file, per platform
// (photo_bitmap_posix.cpp, photo_bitmap_win32.cpp); photo_square.cpp decides
// what goes into it. DeletePhotoBitmap (photo_square.h) is implemented there too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "photo_square.h"

namespace sorvane {

// The file's name inside its folder.
constexpr char kPhotoBitmapName[] = "Sorvane.bmp";

// Writes Bytes as Folder + separator + "Sorvane.bmp", deleting an old file of
// that name first. False (and nothing left behind) when the folder cannot take
// it; File then keeps its path and only its Failure says what failed.
bool WriteBitmapBesideProgram(const std::string& Folder, const std::vector<uint8_t>& Bytes, PhotoBitmapFile& File);

// Makes a new private folder in the user's temporary folder and writes Bytes
// as "Sorvane.bmp" inside it. False when that fails too: File's path stays
// empty and its Failure says what failed.
bool WriteBitmapInPrivateFolder(const std::vector<uint8_t>& Bytes, PhotoBitmapFile& File);

}  // namespace sorvane
