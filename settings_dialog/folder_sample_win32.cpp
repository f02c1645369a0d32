// The sample of a folder of photographs (pairs with folder_sample.h): the
// bounded walk, the tries and the worker thread that runs them.

#include "folder_sample.h"

#include <utility>
#include <vector>

#include "dialog_layout.h"
#include "show_random.h"

namespace sorvane {
namespace {

// As many files as the show tries before it gives up on a folder.
constexpr int kMaxSampleTries = 20;

// The thread's share of a search, handed to it at its start.
struct SearchStart {
  std::shared_ptr<FolderSampleSearch> Search;
};

}  // namespace

PhotoWalkLimits DialogWalkLimits() {
  PhotoWalkLimits limits;
  limits.MaxFiles = 100000;
  limits.MaxFolders = 100000;
  limits.MaxPathBytes = 32u << 20;
  return limits;
}

bool DecodeSamplePhoto(const std::string& Photo, int Dpi, FolderSample& Sample) {
  int width = 0, height = 0;
  if (!ReadPictureSize(Photo, width, height) || width <= 0 || height <= 0) return false;
  const SampleSize size = SampleSizeFor(width, height);
  const int w = SamplePixels(size.Width * Dpi / 96.0);
  const int h = SamplePixels(size.Height * Dpi / 96.0);
  BgrImage picture;
  if (w <= 0 || h <= 0 || !LoadPictureScaled(Photo, w, h, picture)) return false;
  Sample.Photo = Photo;
  Sample.PhotoWidth = width;
  Sample.PhotoHeight = height;
  Sample.Picture = std::move(picture);
  Sample.Dpi = Dpi;
  return true;
}

FolderSample FindFolderSample(const std::string& Folder, int Dpi, uint32_t Seed) {
  FolderSample sample;
  sample.Dpi = Dpi;
  PhotoLibrary library;
  const PhotoWalkLimits limits = DialogWalkLimits();
  sample.Readable = library.Walk(Folder, limits);
  sample.Count = library.Count();
  sample.Capped = sample.Count >= limits.MaxFiles;
  ShowRandom random(Seed);
  const PhotoHistory none;  // the sample is no showing: no history read or written
  std::vector<size_t> tried;
  for (int attempt = 0; attempt < kMaxSampleTries; ++attempt) {
    const long pick = PickFromLibrary(library, none, tried, random);
    if (pick < 0) break;
    if (DecodeSamplePhoto(library.PathAt(static_cast<size_t>(pick)), Dpi, sample)) break;
    tried.push_back(static_cast<size_t>(pick));
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
  auto* start = new SearchStart{search};
  HANDLE thread = CreateThread(nullptr, 0, &FolderSampleSearch::Run, start, 0, nullptr);
  if (!thread) {
    delete start;
    return nullptr;
  }
  CloseHandle(thread);
  return search;
}

DWORD WINAPI FolderSampleSearch::Run(void* Parameter) {
  std::unique_ptr<SearchStart> start(static_cast<SearchStart*>(Parameter));
  FolderSampleSearch& s = *start->Search;
  FolderSample found = FindFolderSample(s.folder_, s.dpi_, s.seed_);
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
