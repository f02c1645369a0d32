// The photo library (see photo_library.h): the walk's bookkeeping, the
// history file and the pick. Listing a folder and the cache folder's place
// are in photo_library_posix.cpp / photo_library_win32.cpp.

#include "photo_library.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <set>
#include <utility>

#include "paths.h"

namespace sorvane {
namespace {

// The history file's first line; a file without it is not ours.
constexpr char kHistoryHeader[] = "sorvane recent photographs 1";

// A history file is a header and kLength lines of 16 digits; anything much
// longer is damaged.
constexpr size_t kMaxHistoryBytes = 4096;

bool IsHexLine(const std::string& Line, uint64_t& Value) {
  if (Line.size() != 16) return false;
  Value = 0;
  for (const char c : Line) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else return false;
    Value = Value << 4 | static_cast<uint64_t>(digit);
  }
  return true;
}

// Writes Text as the whole of Path through a temporary file renamed over it,
// so that a reader never sees half a file.
bool WriteWholeFile(const std::string& Path, const std::string& Text) {
  const std::string temp = SiblingTempName(Path);
  std::FILE* f = OpenFile(temp, "wb");
  if (!f) return false;
  const bool written = std::fwrite(Text.data(), 1, Text.size(), f) == Text.size();
  if (std::fclose(f) != 0 || !written || !ReplaceFileWith(temp, Path)) {
    DeleteFileAt(temp);
    return false;
  }
  return true;
}

}  // namespace

bool PhotoLibrary::Walk(const std::string& Folder, const PhotoWalkLimits& Limits) {
  root_ = Folder;
  names_.clear();
  starts_.clear();
  if (root_.empty()) return false;
  if (!EndsWithSeparator(root_)) root_ += PathSeparator();
  const std::string separator = PathSeparator();

  // Depth first with a stack of folders still to read (paths below root_).
  std::vector<std::pair<std::string, int>> pending;
  pending.emplace_back(std::string(), 0);
  size_t folders = 1;
  std::set<FolderIdentity> seen;
  bool rootRead = false, full = false;
  while (!pending.empty() && !full && !(Limits.Stop && Limits.Stop->load())) {
    const std::string below = std::move(pending.back().first);
    const int depth = pending.back().second;
    pending.pop_back();
    const bool read = ListFolder(
        root_ + below, [&](const FolderIdentity& Id) { return seen.insert(Id).second; },
        [&](const char* Name, FolderEntryKind Kind) {
          if (Name[0] == '.') return true;  // hidden, and "." and ".."
          if (Kind == FolderEntryKind::Folder) {
            if (depth < Limits.MaxDepth && folders < Limits.MaxFolders) {
              pending.emplace_back(below + Name + separator, depth + 1);
              ++folders;
            }
            return true;
          }
          if (Kind != FolderEntryKind::File) return true;
          const size_t length = below.size() + std::char_traits<char>::length(Name) + 1;
          if (starts_.size() >= Limits.MaxFiles || names_.size() + length > Limits.MaxPathBytes) {
            full = true;
            return false;
          }
          starts_.push_back(static_cast<uint32_t>(names_.size()));
          names_ += below;
          names_ += Name;
          names_ += '\0';
          return true;
        });
    if (below.empty()) rootRead = read;
  }
  names_.shrink_to_fit();
  starts_.shrink_to_fit();
  return rootRead;
}

std::string PhotoLibrary::PathAt(size_t Index) const {
  if (Index >= starts_.size()) return std::string();
  return root_ + (names_.c_str() + starts_[Index]);
}

uint64_t PhotoHistory::HashOf(const std::string& Photo) {
  uint64_t h = 1469598103934665603ull;  // 64-bit FNV-1a
  for (const unsigned char c : Photo) h = (h ^ c) * 1099511628211ull;
  return h;
}

void PhotoHistory::Load(const std::string& Path) {
  hashes_.clear();
  std::FILE* f = Path.empty() ? nullptr : OpenFile(Path, "rb");
  if (!f) return;
  std::string text(kMaxHistoryBytes + 1, '\0');
  text.resize(std::fread(&text[0], 1, text.size(), f));
  std::fclose(f);
  if (text.size() > kMaxHistoryBytes) return;
  std::vector<uint64_t> read;
  size_t at = 0;
  bool header = true;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    at = end + 1;
    uint64_t value = 0;
    if (header) {
      if (line != kHistoryHeader) return;
      header = false;
    } else if (IsHexLine(line, value) && read.size() < kLength) {
      read.push_back(value);
    } else {
      return;  // damaged: ignored as a whole
    }
  }
  hashes_ = std::move(read);
}

bool PhotoHistory::Save(const std::string& Path) const {
  if (Path.empty()) return false;
  std::string text = std::string(kHistoryHeader) + "\n";
  for (const uint64_t h : hashes_) {
    char line[24];
    std::snprintf(line, sizeof line, "%016llx\n", static_cast<unsigned long long>(h));
    text += line;
  }
  return WriteWholeFile(Path, text);
}

void PhotoHistory::Shown(const std::string& Photo) {
  const uint64_t h = HashOf(Photo);
  hashes_.erase(std::remove(hashes_.begin(), hashes_.end(), h), hashes_.end());
  hashes_.push_back(h);
  if (hashes_.size() > kLength) hashes_.erase(hashes_.begin(), hashes_.end() - kLength);
}

int PhotoHistory::Position(const std::string& Photo) const {
  const auto found = std::find(hashes_.begin(), hashes_.end(), HashOf(Photo));
  return found == hashes_.end() ? -1 : static_cast<int>(found - hashes_.begin());
}

long PickFromLibrary(const PhotoLibrary& Library, const PhotoHistory& History, const std::vector<bool>& Passed,
                     ShowRandom& Random) {
  const size_t n = Library.Count();
  if (n == 0) return -1;
  const size_t start = std::min(n - 1, static_cast<size_t>(Random.Next() * static_cast<double>(n)));
  long oldest = -1;
  int oldestPosition = INT_MAX;
  for (size_t k = 0; k < n; ++k) {
    const size_t i = (start + k) % n;
    if (i < Passed.size() && Passed[i]) continue;
    const int position = History.Position(Library.PathAt(i));
    if (position < 0) return static_cast<long>(i);
    if (position < oldestPosition) {
      oldest = static_cast<long>(i);
      oldestPosition = position;
    }
  }
  return oldest;
}

std::string PickByDescent(const std::string& Folder, ShowRandom& Random, const PhotoWalkLimits& Limits) {
  if (Folder.empty()) return std::string();
  std::string at = Folder;
  std::set<FolderIdentity> seen;
  for (int depth = 0; depth <= Limits.MaxDepth; ++depth) {
    if (!EndsWithSeparator(at)) at += PathSeparator();
    // One folder's entries; folders of many thousand files are listed whole,
    // names only, and let go at once.
    std::vector<std::pair<std::string, FolderEntryKind>> entries;
    const bool read = ListFolder(
        at, [&](const FolderIdentity& Id) { return seen.insert(Id).second; },
        [&](const char* Name, FolderEntryKind Kind) {
          if (Name[0] == '.' || Kind == FolderEntryKind::Other) return true;
          entries.emplace_back(Name, Kind);
          return entries.size() < Limits.MaxFiles;
        });
    if (!read || entries.empty()) return std::string();
    const size_t pick = std::min(entries.size() - 1, static_cast<size_t>(Random.Next() * static_cast<double>(entries.size())));
    at += entries[pick].first;
    if (entries[pick].second == FolderEntryKind::File) return at;
  }
  return std::string();
}

std::string NextStartPhotoFile() {
  const std::string folder = PhotoCacheFolder();
  return folder.empty() ? std::string() : folder + PathSeparator() + "next-photograph";
}

namespace {
constexpr char kNextHeader[] = "sorvane next photograph 1";
constexpr size_t kMaxNextBytes = 3 * 65536;
}  // namespace

bool SaveNextStartPhoto(const std::string& File, const std::string& Folder, const std::string& Photo) {
  if (File.empty() || Folder.empty() || Photo.empty() || Folder.find('\n') != std::string::npos ||
      Photo.find('\n') != std::string::npos) {
    return false;
  }
  const std::string text = std::string(kNextHeader) + "\n" + Folder + "\n" + Photo + "\n";
  return WriteWholeFile(File, text);
}

std::string TakeNextStartPhoto(const std::string& File, const std::string& Folder) {
  if (File.empty() || Folder.empty()) return std::string();
  // Renamed away first: of two copies starting together, one gets it.
  const std::string taken = SiblingTempName(File);
  if (!ReplaceFileWith(File, taken)) return std::string();
  std::FILE* f = OpenFile(taken, "rb");
  std::string text;
  if (f) {
    text.resize(kMaxNextBytes + 1);
    text.resize(std::fread(&text[0], 1, text.size(), f));
    std::fclose(f);
  }
  DeleteFileAt(taken);
  const std::string header = std::string(kNextHeader) + "\n";
  if (text.size() > kMaxNextBytes || text.compare(0, header.size(), header) != 0) return std::string();
  const size_t folderEnd = text.find('\n', header.size());
  if (folderEnd == std::string::npos) return std::string();
  const size_t photoEnd = text.find('\n', folderEnd + 1);
  if (photoEnd == std::string::npos || photoEnd + 1 != text.size()) return std::string();
  if (text.compare(header.size(), folderEnd - header.size(), Folder) != 0) return std::string();
  std::string photo = text.substr(folderEnd + 1, photoEnd - folderEnd - 1);
  std::string root = Folder;
  if (!EndsWithSeparator(root)) root += PathSeparator();
  if (photo.size() <= root.size() || photo.compare(0, root.size(), root) != 0) return std::string();
  return photo;
}

std::string PhotoHistoryFile() {
  const std::string folder = PhotoCacheFolder();
  return folder.empty() ? std::string() : folder + PathSeparator() + "recent-photographs";
}

}  // namespace sorvane
