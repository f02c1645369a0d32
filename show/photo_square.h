// The photo square: the chosen photograph, or a built-in one, fitted into a
// black 512 x 512 square and written as the temporary bitmap that the texture
// is loaded from; when no place takes the file, the square is handed over in
// memory instead. Portable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "picture_file.h"
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
  std::string Failure;        // when Path is empty: what failed, in words
  PictureProblem Photo = PictureProblem::NoProblem;  // why the user's photograph was not used
  std::string Shown;          // of a folder: the photograph picked from it
  BgrImage Square;            // when Path is empty: the square itself, for the texture to take from memory
};

// The side of the square in pixels.
constexpr int kPhotoSquareSide = 512;

// The size of the temporary bitmap file: 54 bytes of headers and 512 rows of
// 1,536 bytes.
constexpr std::size_t kPhotoBitmapFileSize = 54 + 512 * 512 * 3;

// Where a photograph of Width x Height pixels is drawn in the square.
struct PhotoFit {
  int Width = 0;
  int Height = 0;
  int X = 0;  // from the left
  int Y = 0;  // from the top
};

// Fits Width x Height into the square keeping its proportions: a wider than
// high photograph gets width 512, any other height 512; the other side is
// 512 x short / long rounded half to even, and the offsets (512 - side) / 2
// are rounded half to even too. A side below 1 gives an empty fit.
PhotoFit FitPhotoToSquare(int Width, int Height);

// The square as a top-down 512 x 512 picture: the photograph at PicturePath
// fitted onto black, or, when the path is empty, the file cannot be decoded
// or nothing of it would be visible, built-in photograph floor(2 r). Draws
// exactly one number from Random either way, and for a folder the numbers of
// its pick. A PicturePath that names a folder shows one photograph picked
// from the files under it (photo_library.h), avoiding those shown lately:
// the one that the last show of that folder picked for this start when there
// is one, else one found on a way down through random entries, and only when
// neither can be shown one picked from the whole folder walked, so that a
// large folder is seldom walked before the first frame.
// Problem, when given, says why a photograph at a non-empty PicturePath was
// not used (NoProblem when it was); Shown, of a folder, which file was.
BgrImage ComposePhotoSquare(const std::string& PicturePath, ShowRandom& Random,
                            PictureProblem* Problem = nullptr, std::string* Shown = nullptr);

// The square of the one photograph at Path, fitted onto black; NoProblem
// when it was drawn.
PictureProblem ComposeFileSquare(const std::string& Path, BgrImage& Square);

// The bytes of the temporary bitmap file for a 512 x 512 square.
std::vector<uint8_t> EncodePhotoBitmap(const BgrImage& Square);

// Composes the square and writes it (786,486 bytes, 512 x 512, 24 bits,
// bottom-up). With an empty PicturePath, or one that cannot be decoded, one of
// the two built-in photographs is used: floor(2 r) with r from Random, which
// the caller has seeded, and the result's Photo says why. When no place can
// take the file, its Path is empty, Failure says what failed and Square holds
// the composed square instead.
PhotoBitmapFile PreparePhotoSquare(const std::string& PicturePath, const std::string& ProgramFolderPath,
                                   ShowRandom& Random, PhotoBitmapPlace Place);

// Deletes the temporary bitmap and its private folder, if any.
void DeletePhotoBitmap(const PhotoBitmapFile& File);

}  // namespace sorvane
