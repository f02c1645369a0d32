// Paths and files on Linux (pairs with paths.h; the Windows side is
// paths_win32.cpp). Paths are the file system's own bytes.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
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

std::FILE* OpenFile(const std::string& Path, const char* Mode) {
  if (Path.empty()) return nullptr;
  std::FILE* f = std::fopen(Path.c_str(), Mode);
  if (!f) return nullptr;
  // Only plain files: a folder or a device must not be read as a file.
  struct stat st;
  if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
    std::fclose(f);
    return nullptr;
  }
  return f;
}

bool ReplaceFileWith(const std::string& From, const std::string& To) {
  return std::rename(From.c_str(), To.c_str()) == 0;
}

bool DeleteFileAt(const std::string& Path) { return unlink(Path.c_str()) == 0; }

std::string SiblingTempName(const std::string& Path) {
  // One write at a time per process, and each renames its file away.
  return Path + ".new" + std::to_string(getpid());
}

}  // namespace sorvane
