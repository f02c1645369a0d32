// The show's lock file (see show_lock_posix.h). flock locks belong to the open
// file, so the lock ends with the process however it ends, and a stale lock
// file from an earlier run locks nothing.

#include "show_lock_posix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace sorvane {
namespace {

// The display's name as a file name: anything but letters and digits becomes "_".
std::string FileNameOf(const std::string& DisplayName) {
  std::string out;
  for (char c : DisplayName) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.';
    out.push_back(plain ? c : '_');
  }
  return out.empty() ? "_" : out;
}

// True when Folder is a folder of this user that nobody else may write.
bool PrivateFolder(const std::string& Folder) {
  struct stat st;
  return lstat(Folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
         (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// True when Folder ($XDG_RUNTIME_DIR) can hold the lock: an absolute path to
// a folder of this user that the user may write and nobody else may enter.
// A missing path, a file, another user's folder (after su) or a folder open
// to others is not used: the lock could not be made there, or someone else
// could remove it or hold it.
bool UsableRuntimeFolder(const char* Folder) {
  if (!Folder || Folder[0] != '/') return false;
  struct stat st;
  return stat(Folder, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
         (st.st_mode & S_IRWXU) == S_IRWXU && (st.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

bool AllDigits(const std::string& Text) {
  if (Text.empty()) return false;
  for (char c : Text)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

// [protocol/]host:number[.screen] -> host:number.
std::string ShowDisplayKey(const std::string& DisplayName) {
  const size_t colon = DisplayName.rfind(':');
  if (colon == std::string::npos) return DisplayName;
  std::string host = DisplayName.substr(0, colon);
  const std::string rest = DisplayName.substr(colon + 1);
  const size_t dot = rest.find('.');
  std::string number = rest.substr(0, dot);
  if (!AllDigits(number)) return DisplayName;
  if (dot != std::string::npos && !AllDigits(rest.substr(dot + 1))) return DisplayName;
  number.erase(0, std::min(number.find_first_not_of('0'), number.size() - 1));

  const size_t slash = host.find('/');
  if (slash != std::string::npos) {
    const std::string protocol = host.substr(0, slash);
    if (protocol == "unix" || protocol == "local") {
      host.clear();
    } else if (protocol == "tcp" || protocol == "inet" || protocol == "inet6") {
      host.erase(0, slash + 1);
    } else {
      return DisplayName;  // a socket path or a protocol of its own: as it is
    }
  }
  for (char& c : host)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  if (host == "unix") host.clear();
  return host + ":" + number;
}

std::string ShowLockPath(const char* RuntimeFolder, const std::string& DisplayName,
                         const std::string& FallbackBase) {
  const std::string name = "sorvane-show-" + FileNameOf(ShowDisplayKey(DisplayName)) + ".lock";
  if (UsableRuntimeFolder(RuntimeFolder)) return std::string(RuntimeFolder) + "/" + name;
  const std::string folder = FallbackBase + "/sorvane-" + std::to_string(geteuid());
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return std::string();
  if (!PrivateFolder(folder)) return std::string();  // someone else's, or open to others
  return folder + "/" + name;
}

ShowLock::~ShowLock() {
  if (fd_ >= 0) close(fd_);
}

bool ShowLock::Take(const std::string& Path) {
  if (fd_ >= 0) return true;
  if (Path.empty()) return true;
  const int fd = open(Path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  if (fd < 0) return true;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return true;
  }
  int r;
  do {
    r = flock(fd, LOCK_EX | LOCK_NB);
  } while (r != 0 && errno == EINTR);
  if (r != 0) {
    const bool held = errno == EWOULDBLOCK;
    close(fd);
    return !held;
  }
  fd_ = fd;
  return true;
}

}  // namespace sorvane
