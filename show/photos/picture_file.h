// Reading photographs (BMP, JPEG, PNG, GIF, TIFF, WebP, HEIF and AVIF) for the
// show, the preview and the settings dialog's sample. Portable interface; BMP
// is read by our own reader, every other format by each format's reference
// library on Linux and by the Windows Imaging Component on Windows
// (picture_decoders.h).
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

// Why a photograph cannot be used.
enum class PictureProblem {
  NoProblem,    // it can be shown (not "None": X11 makes that a macro)
  Missing,      // there is no file of that name
  NotAFile,     // a folder, a pipe or a device
  Unreadable,   // a plain file that cannot be opened (no permission)
  NotAPicture,  // not in any format that is read
  Undecodable,  // damaged, or a variant of its format that is not read
  TooLarge,     // more pixels, or more decoder memory, than a photograph may take
  TooThin,      // so thin that nothing of it would show in the square
  // A folder of photographs:
  FolderUnreadable,  // the folder cannot be read
  FolderEmpty,       // it holds no files at all
  NoneReadable,      // none of the files tried in it could be shown
};

// Words for Problem that follow "cannot show FILE: " (or FOLDER).
const char* PictureProblemText(PictureProblem Problem);

// Size in pixels of the picture file at Path (narrow-encoded path) from
// its header, as the picture stands upright (a picture whose orientation
// tag turns it a quarter has its sides swapped), or why it cannot be used.
// Nothing beyond the header is decoded.
PictureProblem CheckPicture(const std::string& Path, int& Width, int& Height);

// Same, as true when CheckPicture finds no problem.
bool ReadPictureSize(const std::string& Path, int& Width, int& Height);

// Decodes the picture at Path, upright (its EXIF or HEIF orientation applied; a
// missing or damaged tag means as stored), straight to DstWidth x DstHeight
// pixels, nearest-neighbour (rows and columns that a shrink drops are
// skipped, never blended). Memory does not grow with the photograph's size.
// False on any decoding error or a non-positive destination size.
bool LoadPictureScaled(const std::string& Path, int DstWidth, int DstHeight, BgrImage& Out);

// Decodes a whole JPEG held in memory (the built-in pictures), upright.
// Refuses pictures larger than 4096 x 4096.
bool DecodeJpegMemory(const unsigned char* Data, std::size_t Size, BgrImage& Out);

}  // namespace sorvane
