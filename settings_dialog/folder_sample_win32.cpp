// The sample of a folder of photographs (pairs with folder_sample.h): the
// bounded walk, the tries and the worker thread that runs them.

#include "folder_sample.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "chooser_filter.h"
#include "dialog_layout.h"
#include "show_random.h"
#include "wic_codecs_win32.h"

namespace sorvane {
namespace {

// As many files as the show tries before it gives up on a folder.
constexpr int kMaxSampleTries = 20;

// The extension of the last name in Path, in lower case without its dot;
// empty when it has none. A dot is never part of a double-byte character.
std::string ExtensionOf(const std::string& Path) {
  const size_t dot = Path.rfind('.');
  const size_t separator = Path.find_last_of("\\/");
  if (dot == std::string::npos || (separator != std::string::npos && dot < separator)) return std::string();
  std::string extension = Path.substr(dot + 1);
  for (char& c : extension)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return extension;
}

}  // namespace

PhotoWalkLimits DialogWalkLimits() {
  PhotoWalkLimits limits;
  limits.MaxFiles = 100000;
  limits.MaxFolders = 100000;
  limits.MaxPathBytes = 32u << 20;
  return limits;
}

bool DecodeForSample(const std::string& Photo, int Dpi, int& PhotoWidth, int& PhotoHeight, int& BoxWidth,
                     int& BoxHeight, BgrImage& Picture) {
  if (!ReadPictureSize(Photo, PhotoWidth, PhotoHeight) || PhotoWidth <= 0 || PhotoHeight <= 0) return false;
  const SampleSize size = SampleSizeFor(PhotoWidth, PhotoHeight);
  // The sample's sizes are 96-dpi pixels; the box grows with the display.
  BoxWidth = SamplePixels(size.Width * Dpi / 96.0);
  BoxHeight = SamplePixels(size.Height * Dpi / 96.0);
  return BoxWidth <= 0 || BoxHeight <= 0 || LoadPictureScaled(Photo, BoxWidth, BoxHeight, Picture);
}

bool DecodeSamplePhoto(const std::string& Photo, int Dpi, FolderSample& Sample) {
  int width = 0, height = 0, boxWidth = 0, boxHeight = 0;
  BgrImage picture;
  if (!DecodeForSample(Photo, Dpi, width, height, boxWidth, boxHeight, picture) || boxWidth <= 0 || boxHeight <= 0)
    return false;
  Sample.Photo = Photo;
  Sample.PhotoWidth = width;
  Sample.PhotoHeight = height;
  Sample.Picture = std::move(picture);
  Sample.Dpi = Dpi;
  return true;
}

FolderSample FindFolderSample(const std::string& Folder, const std::vector<std::string>& Extensions, int Dpi,
                              uint32_t Seed) {
  FolderSample sample;
  sample.Dpi = Dpi;
  PhotoLibrary library;
  const PhotoWalkLimits limits = DialogWalkLimits();
  sample.Readable = library.Walk(Folder, limits);
  for (size_t i = 0; i < library.Count(); ++i) {
    const std::string extension = ExtensionOf(library.PathAt(i));
    if (!extension.empty() && std::find(Extensions.begin(), Extensions.end(), extension) != Extensions.end())
      ++sample.Count;
  }
  sample.Capped = library.Count() >= limits.MaxFiles;
  ShowRandom random(Seed);
  const PhotoHistory none;  // the sample is no showing: no history read or written
  std::vector<bool> tried(library.Count(), false);
  for (int attempt = 0; attempt < kMaxSampleTries; ++attempt) {
    const long pick = PickFromLibrary(library, none, tried, random);
    if (pick < 0) break;
    if (DecodeSamplePhoto(library.PathAt(static_cast<size_t>(pick)), Dpi, sample)) break;
    tried[static_cast<size_t>(pick)] = true;
  }
  return sample;
}

std::shared_ptr<FolderSampleSearch> FolderSampleSearch::Start(HWND Target, UINT Message, const std::string& Folder,
                                                              int Dpi, uint32_t Seed) {
  auto search = std::make_shared<FolderSampleSearch>();
  search->target_ = Target;
  search->message_ = Message;
  search->folder_ = Folder;
  search->dpi_ = Dpi;
  search->seed_ = Seed;
  // The thread's own share of the search, handed to it at its start.
  auto* start = new std::shared_ptr<FolderSampleSearch>(search);
  HANDLE thread = CreateThread(nullptr, 0, &FolderSampleSearch::Run, start, 0, nullptr);
  if (!thread) {
    delete start;
    return nullptr;
  }
  CloseHandle(thread);
  return search;
}

DWORD WINAPI FolderSampleSearch::Run(void* Parameter) {
  const std::unique_ptr<std::shared_ptr<FolderSampleSearch>> start(
      static_cast<std::shared_ptr<FolderSampleSearch>*>(Parameter));
  FolderSampleSearch& s = **start;
  // The decoders asked here, off the dialog's thread, as the chooser asks them.
  FolderSample found =
      FindFolderSample(s.folder_, ChooserExtensions(InstalledDecoderExtensions()), s.dpi_, s.seed_);
  std::lock_guard<std::mutex> hold(s.lock_);
  s.result_ = std::move(found);
  s.done_ = true;
  // Under the lock, so a window that abandons the search meanwhile is never
  // posted to after it has gone.
  if (s.target_) PostMessageW(s.target_, s.message_, 0, 0);
  return 0;
}

void FolderSampleSearch::Abandon() {
  std::lock_guard<std::mutex> hold(lock_);
  target_ = nullptr;
}

bool FolderSampleSearch::Done() const {
  std::lock_guard<std::mutex> hold(lock_);
  return done_;
}

FolderSample FolderSampleSearch::Take() {
  std::lock_guard<std::mutex> hold(lock_);
  return std::move(result_);
}

}  // namespace sorvane
