// Paths and files on Linux (pairs with paths.h; the Windows side is
// paths_win32.cpp). Paths are the file system's own bytes. Every file is
// opened without blocking (a FIFO or a device named as a photograph or as the
// settings file would otherwise hang the open) and accepted only when it is a
// plain file; only then is it read normally.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "paths.h"

namespace sorvane {

std::string ProgramFolder() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  std::string exe(buf, static_cast<size_t>(n));
  const size_t slash = exe.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return exe.substr(0, slash);
}

const char* PathSeparator() { return "/"; }

bool IsLeadByte(unsigned char) { return false; }

bool FileExists(const std::string& Path) {
  std::string p = Path;
  if (!p.empty() && EndsWithSeparator(p)) p.pop_back();
  if (p.empty()) return false;
  const int fd = open(p.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  close(fd);
  return regular;
}

bool FolderExists(const std::string& Path) {
  struct stat st;
  return !Path.empty() && stat(Path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::FILE* OpenFile(const std::string& Path, const char* Mode) {
  if (Path.empty() || !Mode || !Mode[0]) return nullptr;
  const bool update = std::strchr(Mode, '+') != nullptr;
  int flags = O_NONBLOCK | O_CLOEXEC;
  switch (Mode[0]) {
    case 'r': flags |= update ? O_RDWR : O_RDONLY; break;
    // Files we create are never reached through a planted link.
    case 'w': flags |= (update ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC | O_NOFOLLOW; break;
    case 'a': flags |= (update ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND | O_NOFOLLOW; break;
    default: return nullptr;
  }
  const int fd = open(Path.c_str(), flags, 0666);
  if (fd < 0) return nullptr;
  // Only plain files: a folder, a pipe or a device must not be read as a file.
  struct stat st;
  const int blocking = fcntl(fd, F_GETFL);
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || blocking < 0 ||
      fcntl(fd, F_SETFL, blocking & ~O_NONBLOCK) != 0) {
    close(fd);
    return nullptr;
  }
  std::FILE* f = fdopen(fd, Mode);
  if (!f) close(fd);
  return f;
}

bool FlushToDisk(std::FILE* File) {
  if (std::fflush(File) != 0) return false;
  int r;
  do {
    r = fsync(fileno(File));
  } while (r != 0 && errno == EINTR);
  return r == 0;
}

bool ReplaceFileWith(const std::string& From, const std::string& To) {
  if (std::rename(From.c_str(), To.c_str()) != 0) return false;
  // The rename itself lives in the folder: flush that too (best effort).
  const std::string folder = FolderOfPath(To);
  const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
  return true;
}

bool DeleteFileAt(const std::string& Path) { return unlink(Path.c_str()) == 0; }

std::string SiblingTempName(const std::string& Path) {
  // One write at a time per process, and each renames its file away.
  return Path + ".new" + std::to_string(getpid());
}

// The file system's bytes are taken as UTF-8 already: nothing to convert.
bool Utf8ToNarrow(const std::string& Text, std::string& Out) {
  Out = Text;
  return true;
}

bool NarrowToUtf8(const std::string& Text, std::string& Out) {
  Out = Text;
  return true;
}

}  // namespace sorvane
