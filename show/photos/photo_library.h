// The photo library: the files of a folder of photographs, walked once per
// start, and the pick of one of them that avoids the photographs shown lately
// (a short history kept in the user's cache folder). Portable; reading a
// folder and finding the cache folder are per platform
// (photo_library_posix.cpp, photo_library_win32.cpp). It does not decode
// anything: a file counts whatever its name, and the caller tries it by its
// content and asks for the next one when it does not decode.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "show_random.h"

namespace sorvane {

// Bounds of one walk, so that memory and time stay bounded on any tree.
struct PhotoWalkLimits {
  size_t MaxFiles = 1000000;          // files kept; the walk stops there
  size_t MaxFolders = 1000000;        // folders read or waiting to be read
  size_t MaxPathBytes = 128u << 20;   // the names buffer
  int MaxDepth = 64;                  // folders below the top one
  const std::atomic<bool>* Stop = nullptr;  // when set and true, the walk ends between folders
};

// The plain files under one folder. Hidden files and folders (names starting
// with ".") are left out, symbolic links are followed but each folder is read
// once (a link back up ends there), and a folder that cannot be read is passed
// over.
class PhotoLibrary {
 public:
  // Walks Folder (a narrow-encoded path). False when Folder itself cannot be
  // read as a folder; an empty library is no failure.
  bool Walk(const std::string& Folder, const PhotoWalkLimits& Limits = PhotoWalkLimits());

  size_t Count() const { return starts_.size(); }

  // The full path of file Index (0 <= Index < Count()).
  std::string PathAt(size_t Index) const;

  // Bytes held for the list of paths.
  size_t ListBytes() const { return names_.capacity() + starts_.capacity() * sizeof(uint32_t); }

 private:
  std::string root_;                // the folder, ending with a separator
  std::string names_;               // the paths below root_, each ended by '\0'
  std::vector<uint32_t> starts_;    // where each path starts in names_
};

// The last photographs shown, as hashes of their paths, oldest first; at most
// kLength of them.
class PhotoHistory {
 public:
  static constexpr size_t kLength = 64;

  // Reads the history file at Path. A missing or damaged file gives an empty
  // history (it is written anew on Save).
  void Load(const std::string& Path);

  // Writes it through a temporary file renamed over Path; false on failure.
  bool Save(const std::string& Path) const;

  // Notes Photo as shown now (the oldest falls out beyond kLength).
  void Shown(const std::string& Photo);

  // Where Photo stands (0 the oldest), or -1 when it was not shown lately.
  int Position(const std::string& Photo) const;

  const std::vector<uint64_t>& Hashes() const { return hashes_; }

  static uint64_t HashOf(const std::string& Photo);

 private:
  std::vector<uint64_t> hashes_;
};

// One file of Library: from a random place (one number from Random) the first
// not in History and not Passed, else the one shown longest ago among those
// not Passed. Passed[i] marks file i as passed over (tried already, or shown
// in this show); it may be shorter than the library. -1 when every file is
// passed over.
long PickFromLibrary(const PhotoLibrary& Library, const PhotoHistory& History, const std::vector<bool>& Passed,
                     ShowRandom& Random);

// A file found by going down from Folder through entries chosen at random
// (one number from Random per level), reading only the folders on the way:
// a start with no photograph picked for it by an earlier show need not wait
// for the walk of a large folder. Hidden entries are passed over as in the
// walk. Empty when the way ends in an empty or unreadable folder, a loop or
// beyond the depth limit.
std::string PickByDescent(const std::string& Folder, ShowRandom& Random,
                          const PhotoWalkLimits& Limits = PhotoWalkLimits());

// The user's own cache folder for Sorvane, made if needed
// ($XDG_CACHE_HOME/sorvane or ~/.cache/sorvane on Linux,
// %LOCALAPPDATA%\Sorvane on Windows); empty when there is none.
std::string PhotoCacheFolder();

// The history file in the cache folder; empty when there is no cache folder.
std::string PhotoHistoryFile();

// The photograph the next start of a show of a folder begins with, picked by
// the show before (photos it has walked), so that a start need not walk a
// large folder before its first frame. One small file in the cache folder:
// the folder and the photograph, a line each.
std::string NextStartPhotoFile();  // empty when there is no cache folder
bool SaveNextStartPhoto(const std::string& File, const std::string& Folder, const std::string& Photo);

// Takes the photograph saved for Folder and removes the file, so that it is
// taken once, also when copies of the show start at the same moment. Empty
// when there is none, it is for another folder, it lies outside Folder or the
// file is damaged.
std::string TakeNextStartPhoto(const std::string& File, const std::string& Folder);

// Lowers the calling thread's priority as far as it goes without stopping it,
// so that work in the background (decoding the next photograph) leaves the
// processor to the frame loop when both want it. Best effort.
void LowerThreadPriority();

// What the platform part tells about one folder entry.
enum class FolderEntryKind { File, Folder, Other };

// The identity of a folder (device and inode, or volume and file index), so
// that a folder reached twice through links is read once.
struct FolderIdentity {
  uint64_t Device = 0;
  uint64_t Node = 0;
  bool operator<(const FolderIdentity& Other) const {
    return Device != Other.Device ? Device < Other.Device : Node < Other.Node;
  }
};

// Platform part of the walk: opens Folder, asks Enter with its identity
// whether to read it, then calls Each(name, kind) for every entry (links
// followed for the kind) until Each returns false. False when the folder
// cannot be opened.
bool ListFolder(const std::string& Folder, const std::function<bool(const FolderIdentity& Identity)>& Enter,
                const std::function<bool(const char* Name, FolderEntryKind Kind)>& Each);

}  // namespace sorvane
