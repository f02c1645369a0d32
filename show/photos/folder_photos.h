// A folder of photographs as the supply of a show's further photographs
// (photo_supply.h): a worker thread walks the folder once, then decodes each
// photograph the show asks for into its 512 x 512 square. Within a show no
// photograph comes back before every other one has been shown; those shown
// lately by any show are avoided through the history of photo_library.h,
// which it keeps up to date, and once walked it picks the photograph the next
// start begins with. Portable (std::thread); it draws nothing and makes no
// texture.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "photo_library.h"
#include "photo_supply.h"
#include "show_random.h"

namespace sorvane {

class FolderPhotos final : public PhotoSupply {
 public:
  // Starts the worker on Folder. Shown is the photograph the show began
  // with (it comes back last); Seed seeds the picks' own random numbers.
  FolderPhotos(const std::string& Folder, const std::string& Shown, uint32_t Seed);
  // Stops the worker: a walk ends between folders, a decode under way is
  // finished first.
  ~FolderPhotos() override;
  FolderPhotos(const FolderPhotos&) = delete;
  FolderPhotos& operator=(const FolderPhotos&) = delete;

  void Ask(int Swarm) override;
  Answer Take(int Swarm, BgrImage& Square) override;
  Answer Wait(int Swarm, BgrImage& Square) override;

  // Files found by the walk; 0 until it is over.
  size_t Count() const { return count_.load(); }

 private:
  struct Slot {
    bool Asked = false;
    Answer State = Answer::Waiting;
    BgrImage Square;
  };

  void Work();
  Answer Next(BgrImage& Square);
  void PickNextStart();
  Answer Collect(Slot& slot, BgrImage& Square);

  const std::string folder_;
  const std::string startShown_;
  ShowRandom random_;  // the worker's alone
  PhotoLibrary library_;
  PhotoHistory history_;
  std::string historyFile_;
  std::vector<bool> passed_;  // shown (or found unreadable) in this round of the folder
  long nextStart_ = -1;       // the file saved for the next start
  std::atomic<size_t> count_{0};

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<int> queue_;      // swarms asking, in order
  std::map<int, Slot> slots_;
  std::atomic<bool> stop_{false};
  std::thread worker_;         // last: starts once everything above is made
};

// The supply of a show that began with photograph Shown of Folder (Shown
// empty: the show did not begin from a folder): made when the show changes
// photographs (ChangeSeconds > 0) or has further swarms that each want a
// photograph of their own (SwarmCount > 1); null otherwise, and no thread runs.
std::unique_ptr<FolderPhotos> FolderPhotosForShow(const std::string& Folder, const std::string& Shown,
                                                  int64_t ChangeSeconds, int SwarmCount);

}  // namespace sorvane
