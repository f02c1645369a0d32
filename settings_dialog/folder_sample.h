// The sample of a folder of photographs for the settings dialog: the folder
// walked within the dialog's bounds, the number of photographs in it (files
// named as a picture decoder installed here reads them) and one photograph
// of it decoded at the sample's size, found on a worker thread so
// that a large or slow folder does not hold up the dialog
// (folder_sample_win32.cpp; the dialog draws the result,
// settings_dialog_win32.cpp). It never notes a photograph as shown: the
// show's history of photographs shown lately is left alone.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "photo_library.h"
#include "picture_file.h"

namespace sorvane {

// The dialog's bounds of a walk: fewer files than the show allows, so that a
// huge tree is counted "N 枚以上" quickly and with little memory.
PhotoWalkLimits DialogWalkLimits();

// What was found in one folder.
struct FolderSample {
  bool Readable = false;  // the folder could be read as a folder
  size_t Count = 0;       // photographs found, by their names' extensions
  bool Capped = false;    // the walk stopped at DialogWalkLimits' file count
  std::string Photo;      // the photograph shown; empty when none decoded
  int PhotoWidth = 0;     // its upright size in pixels
  int PhotoHeight = 0;
  BgrImage Picture;       // decoded at the sample's size for Dpi
  int Dpi = 96;
};

// Walks Folder (narrow-encoded), counts the files whose extension is one of
// Extensions (lower case, without the dot, as ChooserExtensions gives them)
// and tries up to 20 of its files whatever their names, as the show does,
// from a random place that Seed gives, until one decodes at the sample's size
// for Dpi (a photograph too thin to show counts as not decoding).
FolderSample FindFolderSample(const std::string& Folder, const std::vector<std::string>& Extensions, int Dpi,
                              uint32_t Seed);

// Reads Photo's upright size and decodes it at the size of the sample box for
// Dpi (Box, in pixels; Picture stays empty when a side rounds to nothing).
// False when it cannot be read or decoded. The one decode of every sample,
// of a file or of a folder.
bool DecodeForSample(const std::string& Photo, int Dpi, int& PhotoWidth, int& PhotoHeight, int& BoxWidth,
                     int& BoxHeight, BgrImage& Picture);

// Decodes Photo at the sample's size for Dpi into Sample (its size and
// picture); false when it cannot be shown.
bool DecodeSamplePhoto(const std::string& Photo, int Dpi, FolderSample& Sample);

// One search running on its own thread. The result is handed back by a
// message posted to the window given at the start; Abandon before that
// window goes, and the thread ends on its own without touching it.
class FolderSampleSearch {
 public:
  // Starts the search; null when no thread could be made.
  static std::shared_ptr<FolderSampleSearch> Start(HWND Target, UINT Message, const std::string& Folder, int Dpi,
                                                   uint32_t Seed);

  // The window is going or wants another folder: nothing is posted any more.
  void Abandon();

  // True once the result is there (the message is then on its way).
  bool Done() const;

  // The result, once Done.
  FolderSample Take();

  const std::string& Folder() const { return folder_; }

 private:
  static DWORD WINAPI Run(void* Parameter);

  mutable std::mutex lock_;
  HWND target_ = nullptr;
  UINT message_ = 0;
  std::string folder_;
  int dpi_ = 96;
  uint32_t seed_ = 1;
  bool done_ = false;
  FolderSample result_;
};

}  // namespace sorvane
