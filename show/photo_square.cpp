// The photo square (see photo_square.h): composing onto black,
// choosing a built-in photograph and encoding the 24-bit bitmap file. Writing
// the file is done by photo_bitmap_posix.cpp / photo_bitmap_win32.cpp, the
// fitting arithmetic by photo_fit.cpp.

#include "photo_square.h"

#include <cstring>
#include <utility>

#include "embedded_resources.h"
#include "paths.h"
#include "photo_bitmap.h"
#include "photo_library.h"
#include "picture_sampling.h"

namespace sorvane {
namespace {

// Copies Picture into the square with its top-left corner at (X, Y).
void PlaceInSquare(const BgrImage& Picture, int X, int Y, BgrImage& Square) {
  const size_t rowBytes = static_cast<size_t>(Picture.Width) * 3;
  for (int y = 0; y < Picture.Height; ++y) {
    std::memcpy(Square.Pixels.data() + (static_cast<size_t>(Y + y) * kPhotoSquareSide + X) * 3,
                Picture.Pixels.data() + static_cast<size_t>(y) * rowBytes, rowBytes);
  }
}

// Scales an in-memory picture with the same nearest-neighbour mapping.
BgrImage ScaleImage(const BgrImage& Source, int Width, int Height) {
  BgrImage out;
  NearestRowSampler sampler(Source.Width, Source.Height, Width, Height, out);
  for (int row; (row = sampler.NextSourceRow()) >= 0;)
    sampler.TakeRow(Source.Pixels.data() + static_cast<size_t>(row) * Source.Width * 3);
  return out;
}

// Draws the user's photograph, or says why it cannot be shown.
PictureProblem DrawUserPhoto(const std::string& Path, BgrImage& Square) {
  int width = 0, height = 0;
  const PictureProblem problem = CheckPicture(Path, width, height);
  if (problem != PictureProblem::NoProblem) return problem;
  const PhotoFit fit = FitPhotoToSquare(width, height);
  if (fit.Width < 1 || fit.Height < 1) return PictureProblem::TooThin;
  BgrImage photo;
  if (!LoadPictureScaled(Path, fit.Width, fit.Height, photo)) return PictureProblem::Undecodable;
  PlaceInSquare(photo, fit.X, fit.Y, Square);
  return PictureProblem::NoProblem;
}

// At most this many files of a folder are tried before a built-in photograph
// is shown instead: a folder of other files must not hold up the start.
constexpr int kMaxFolderTries = 20;

// Notes Path in the history of photographs shown lately.
void NoteShown(const std::string& Path, PhotoHistory& History, const std::string& HistoryFile) {
  History.Shown(Path);
  History.Save(HistoryFile);  // best effort: a history not kept only repeats sooner
}

// Tries of a way down through the folder before the start walks it whole.
constexpr int kDescentTries = 3;

// Draws one photograph of the folder, and notes it in the history of
// photographs shown lately. The photograph the last show picked for this
// start comes first; else a few ways down through random entries (a file
// shown lately or not decoding is passed over); only then is the folder
// walked whole and picked from, trying the next pick when one does not decode.
PictureProblem DrawFromFolder(const std::string& Folder, ShowRandom& Random, BgrImage& Square, std::string& Shown) {
  const std::string historyFile = PhotoHistoryFile();
  PhotoHistory history;
  history.Load(historyFile);
  auto drawn = [&](const std::string& Path) {
    if (Path.empty() || DrawUserPhoto(Path, Square) != PictureProblem::NoProblem) return false;
    NoteShown(Path, history, historyFile);
    Shown = Path;
    return true;
  };
  if (drawn(TakeNextStartPhoto(NextStartPhotoFile(), Folder))) return PictureProblem::NoProblem;
  for (int attempt = 0; attempt < kDescentTries; ++attempt) {
    const std::string found = PickByDescent(Folder, Random);
    if (!found.empty() && history.Position(found) < 0 && drawn(found)) return PictureProblem::NoProblem;
  }
  PhotoLibrary library;
  if (!library.Walk(Folder)) return PictureProblem::FolderUnreadable;
  if (library.Count() == 0) return PictureProblem::FolderEmpty;
  std::vector<bool> tried(library.Count(), false);
  for (int attempt = 0; attempt < kMaxFolderTries; ++attempt) {
    const long pick = PickFromLibrary(library, history, tried, Random);
    if (pick < 0) break;
    if (drawn(library.PathAt(static_cast<size_t>(pick)))) return PictureProblem::NoProblem;
    tried[static_cast<size_t>(pick)] = true;
  }
  return PictureProblem::NoneReadable;
}

// A black square of the bitmap's size.
BgrImage BlackSquare() {
  BgrImage square;
  square.Width = kPhotoSquareSide;
  square.Height = kPhotoSquareSide;
  square.Pixels.assign(static_cast<size_t>(kPhotoSquareSide) * kPhotoSquareSide * 3, 0);
  return square;
}

// Draws built-in photograph Index (0 or 1).
void DrawBuiltInPhoto(int Index, BgrImage& Square) {
  BgrImage photo;
  const bool decoded = Index == 0 ? DecodeJpegMemory(kPhoto0Jpeg, kPhoto0JpegSize, photo)
                                  : DecodeJpegMemory(kPhoto1Jpeg, kPhoto1JpegSize, photo);
  if (!decoded) return;  // the square stays black
  if (photo.Width == kPhotoSquareSide && photo.Height == kPhotoSquareSide) {
    Square.Pixels = std::move(photo.Pixels);
    return;
  }
  const PhotoFit fit = FitPhotoToSquare(photo.Width, photo.Height);
  if (fit.Width < 1 || fit.Height < 1) return;
  PlaceInSquare(ScaleImage(photo, fit.Width, fit.Height), fit.X, fit.Y, Square);
}

// Little-endian stores into the header.
void Put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
  Put16(p, v & 0xFFFFu);
  Put16(p + 2, v >> 16);
}

}  // namespace

// The user's photograph, else the built-in one the random number picks.
BgrImage ComposePhotoSquare(const std::string& PicturePath, ShowRandom& Random, PictureProblem* Problem,
                            std::string* Shown) {
  const double r = Random.Next();
  const int index = r < 0.5 ? 0 : 1;  // floor(2 r) for r in [0, 1)
  BgrImage square = BlackSquare();
  std::string fromFolder;
  // A folder draws one more number, for its pick (unless the last show
  // picked for this start); a single file none.
  const PictureProblem problem = PicturePath.empty()         ? PictureProblem::NoProblem
                                 : FolderExists(PicturePath) ? DrawFromFolder(PicturePath, Random, square, fromFolder)
                                                             : DrawUserPhoto(PicturePath, square);
  if (PicturePath.empty() || problem != PictureProblem::NoProblem) DrawBuiltInPhoto(index, square);
  if (Problem) *Problem = problem;
  if (Shown) *Shown = fromFolder;
  return square;
}

PictureProblem ComposeFileSquare(const std::string& Path, BgrImage& Square) {
  Square = BlackSquare();
  return DrawUserPhoto(Path, Square);
}

// Headers of the 24-bit file, then the rows bottom-up.
std::vector<uint8_t> EncodePhotoBitmap(const BgrImage& Square) {
  constexpr uint32_t kRowBytes = kPhotoSquareSide * 3;
  std::vector<uint8_t> file(kPhotoBitmapFileSize, 0);
  uint8_t* h = file.data();
  h[0] = 'B';
  h[1] = 'M';
  Put32(h + 2, static_cast<uint32_t>(kPhotoBitmapFileSize));
  Put32(h + 10, 54);
  Put32(h + 14, 40);
  Put32(h + 18, kPhotoSquareSide);
  Put32(h + 22, kPhotoSquareSide);
  Put16(h + 26, 1);
  Put16(h + 28, 24);
  Put32(h + 30, 0);
  Put32(h + 34, kRowBytes * kPhotoSquareSide);
  // Resolutions, colours used and important colours stay 0.
  if (Square.Width != kPhotoSquareSide || Square.Height != kPhotoSquareSide ||
      Square.Pixels.size() != static_cast<size_t>(kRowBytes) * kPhotoSquareSide)
    return file;  // all black
  for (int row = 0; row < kPhotoSquareSide; ++row) {
    const int fromTop = kPhotoSquareSide - 1 - row;
    std::memcpy(h + 54 + static_cast<size_t>(row) * kRowBytes,
                Square.Pixels.data() + static_cast<size_t>(fromTop) * kRowBytes, kRowBytes);
  }
  return file;
}

// Composes, encodes and writes where the place allows; keeps the square when
// nothing could be written.
PhotoBitmapFile PreparePhotoSquare(const std::string& PicturePath, const std::string& ProgramFolderPath,
                                   ShowRandom& Random, PhotoBitmapPlace Place) {
  PictureProblem problem = PictureProblem::NoProblem;
  std::string shown;
  BgrImage square = ComposePhotoSquare(PicturePath, Random, &problem, &shown);
  const std::vector<uint8_t> bytes = EncodePhotoBitmap(square);
  PhotoBitmapFile file;
  file.Photo = problem;
  file.Shown = std::move(shown);
  std::string besideFailure;
  if (Place == PhotoBitmapPlace::BesideProgram && !ProgramFolderPath.empty()) {
    if (WriteBitmapBesideProgram(ProgramFolderPath, bytes, file)) return file;
    besideFailure = file.Failure;
  }
  if (WriteBitmapInPrivateFolder(bytes, file)) return file;
  if (!besideFailure.empty()) file.Failure = besideFailure + "; " + file.Failure;
  file.Square = std::move(square);
  return file;
}

}  // namespace sorvane
