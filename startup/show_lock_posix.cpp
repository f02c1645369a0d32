// The show's lock file (see show_lock_posix.h). flock locks belong to the open
// file, so the lock ends with the process however it ends, and a stale lock
// file from an earlier run locks nothing.

#include "show_lock_posix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

}  // namespace

std::string ShowLockPath(const char* RuntimeFolder, const std::string& DisplayName,
                         const std::string& FallbackBase) {
  const std::string name = "sorvane-show-" + FileNameOf(DisplayName) + ".lock";
  if (RuntimeFolder && RuntimeFolder[0] == '/') return std::string(RuntimeFolder) + "/" + name;
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
