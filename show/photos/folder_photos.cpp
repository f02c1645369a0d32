// A folder of photographs as a show's supply (see folder_photos.h).

#include "folder_photos.h"

#include <chrono>
#include <utility>

#include "photo_square.h"

namespace sorvane {
namespace {

// Files tried for one photograph before the answer is Unavailable: a folder of other
// files must not keep the worker busy.
constexpr int kMaxTries = 20;

}  // namespace

FolderPhotos::FolderPhotos(const std::string& Folder, const std::string& Shown, uint32_t Seed)
    : folder_(Folder), startShown_(Shown), random_(Seed), worker_([this] { Work(); }) {}

FolderPhotos::~FolderPhotos() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  worker_.join();
}

void FolderPhotos::Ask(int Swarm) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    Slot& slot = slots_[Swarm];
    if (slot.Asked) return;
    slot = Slot{};
    slot.Asked = true;
    queue_.push_back(Swarm);
  }
  changed_.notify_all();
}

// Hands over an answer and forgets the question.
PhotoSupply::Answer FolderPhotos::Collect(Slot& slot, BgrImage& Square) {
  const Answer answer = slot.State;
  if (answer == Answer::Waiting) return answer;
  if (answer == Answer::Ready) Square = std::move(slot.Square);
  slot = Slot{};
  return answer;
}

PhotoSupply::Answer FolderPhotos::Take(int Swarm, BgrImage& Square) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = slots_.find(Swarm);
  if (found == slots_.end() || !found->second.Asked) return Answer::Unavailable;
  return Collect(found->second, Square);
}

PhotoSupply::Answer FolderPhotos::Wait(int Swarm, BgrImage& Square) {
  std::unique_lock<std::mutex> lock(mutex_);
  const auto found = slots_.find(Swarm);
  if (found == slots_.end() || !found->second.Asked) return Answer::Unavailable;
  changed_.wait(lock, [&] { return found->second.State != Answer::Waiting || stop_.load(); });
  return Collect(found->second, Square);
}

void FolderPhotos::Work() {
  LowerThreadPriority();
  PhotoWalkLimits limits;
  limits.Stop = &stop_;
  const bool walked = library_.Walk(folder_, limits);
  passed_.assign(library_.Count(), false);
  historyFile_ = PhotoHistoryFile();
  history_.Load(historyFile_);
  // The photograph the show began with is shown in this round already.
  if (!startShown_.empty()) {
    for (size_t i = 0; i < library_.Count(); ++i) {
      if (library_.PathAt(i) == startShown_) {
        passed_[i] = true;
        break;
      }
    }
  }
  count_ = library_.Count();
  if (walked && !stop_.load()) PickNextStart();

  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stop_.load() || !queue_.empty(); });
    if (stop_.load()) break;
    const int swarm = queue_.front();
    queue_.pop_front();
    lock.unlock();
    BgrImage square;
    const Answer answer = Next(square);
    lock.lock();
    Slot& slot = slots_[swarm];
    slot.State = answer;
    slot.Square = std::move(square);
    changed_.notify_all();
  }
  // Whoever waits gets Unavailable.
  for (auto& entry : slots_) {
    if (entry.second.Asked && entry.second.State == Answer::Waiting) entry.second.State = Answer::Unavailable;
  }
  changed_.notify_all();
}

// The photograph the next start begins with: one not shown lately nor yet
// in this show, picked anew when this show comes to it.
// Only a file whose header reads as a photograph is saved.
void FolderPhotos::PickNextStart() {
  std::vector<bool> passed = passed_;
  nextStart_ = -1;
  for (int attempt = 0; attempt < kMaxTries && !stop_.load(); ++attempt) {
    const long pick = PickFromLibrary(library_, history_, passed, random_);
    if (pick < 0) return;
    const std::string path = library_.PathAt(static_cast<size_t>(pick));
    int width = 0, height = 0;
    if (CheckPicture(path, width, height) == PictureProblem::NoProblem) {
      nextStart_ = pick;
      SaveNextStartPhoto(NextStartPhotoFile(), folder_, path);
      return;
    }
    passed[static_cast<size_t>(pick)] = true;
  }
}

// The next photograph of the round; a new round once every file was passed.
PhotoSupply::Answer FolderPhotos::Next(BgrImage& Square) {
  // A folder of one photograph has nothing new to give: the show keeps it.
  if (library_.Count() < 2 && !startShown_.empty()) return Answer::Unavailable;
  for (int attempt = 0; attempt < kMaxTries && !stop_.load(); ++attempt) {
    long pick = PickFromLibrary(library_, history_, passed_, random_);
    if (pick < 0) {
      if (library_.Count() == 0) return Answer::Unavailable;
      passed_.assign(library_.Count(), false);
      pick = PickFromLibrary(library_, history_, passed_, random_);
      if (pick < 0) return Answer::Unavailable;
    }
    passed_[static_cast<size_t>(pick)] = true;
    const std::string path = library_.PathAt(static_cast<size_t>(pick));
    if (ComposeFileSquare(path, Square) == PictureProblem::NoProblem) {
      history_.Shown(path);
      history_.Save(historyFile_);  // best effort, as at the start
      if (pick == nextStart_) PickNextStart();
      return Answer::Ready;
    }
  }
  return Answer::Unavailable;
}

std::unique_ptr<FolderPhotos> FolderPhotosForShow(const std::string& Folder, const std::string& Shown,
                                                  int64_t ChangeSeconds, int SwarmCount) {
  if (Shown.empty() || (ChangeSeconds <= 0 && SwarmCount < 2)) return nullptr;
  // The picks' numbers are the supply's own: the swarms' sequences stay as
  // they are.
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  return std::make_unique<FolderPhotos>(Folder, Shown, static_cast<uint32_t>(now ^ (now >> 32)));
}

}  // namespace sorvane
