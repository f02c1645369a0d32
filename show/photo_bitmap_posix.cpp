// The temporary bitmap on Linux (pairs with photo_bitmap.h; Windows is
// photo_bitmap_win32.cpp). Files are created with O_EXCL and O_NOFOLLOW, so a
// symbolic link or another user's file planted under the name is never
// followed or overwritten; the fallback folder is made by mkdtemp (mode 0700).

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "photo_bitmap.h"

namespace sorvane {
namespace {

// "cannot write PATH: reason" from errno.
std::string Failed(const char* What, const std::string& Path, int Error) {
  return std::string("cannot ") + What + " " + Path + ": " + std::strerror(Error);
}

// Creates Path anew and writes all of Bytes; removes it again on failure and
// says what failed in Failure.
bool WriteNewFile(const std::string& Path, const std::vector<uint8_t>& Bytes, mode_t Mode, std::string& Failure) {
  const int fd = open(Path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, Mode);
  if (fd < 0) {
    Failure = Failed("create", Path, errno);
    return false;
  }
  size_t done = 0;
  int error = 0;
  while (done < Bytes.size()) {
    const ssize_t n = write(fd, Bytes.data() + done, Bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : ENOSPC;
      break;
    }
    done += static_cast<size_t>(n);
  }
  if (close(fd) != 0 && error == 0) error = errno;
  if (done == Bytes.size() && error == 0) return true;
  unlink(Path.c_str());
  Failure = Failed("write", Path, error);
  return false;
}

// The user's temporary folder: $TMPDIR when it is an absolute path, else /tmp.
std::string TemporaryFolder() {
  const char* tmp = std::getenv("TMPDIR");
  if (tmp && tmp[0] == '/') return tmp;
  return "/tmp";
}

}  // namespace

// Deletes a leftover (unlink removes a link, never its target), then creates.
bool WriteBitmapBesideProgram(const std::string& Folder, const std::vector<uint8_t>& Bytes, PhotoBitmapFile& File) {
  const std::string path = Folder + (Folder.back() == '/' ? "" : "/") + kPhotoBitmapName;
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) unlink(path.c_str());
  if (!WriteNewFile(path, Bytes, 0644, File.Failure)) return false;
  File.Path = path;
  File.PrivateFolder.clear();
  File.Failure.clear();
  return true;
}

// mkdtemp, then the file inside it.
bool WriteBitmapInPrivateFolder(const std::vector<uint8_t>& Bytes, PhotoBitmapFile& File) {
  std::string base = TemporaryFolder();
  if (base.size() > 1 && base.back() == '/') base.pop_back();
  std::string pattern = base + "/sorvane-XXXXXX";
  if (!mkdtemp(&pattern[0])) {
    File.Failure = Failed("make a folder in", base, errno);
    return false;
  }
  const std::string path = pattern + "/" + kPhotoBitmapName;
  if (!WriteNewFile(path, Bytes, 0600, File.Failure)) {
    rmdir(pattern.c_str());
    return false;
  }
  File.Path = path;
  File.PrivateFolder = pattern;
  File.Failure.clear();
  return true;
}

// Removes the file, then its private folder.
void DeletePhotoBitmap(const PhotoBitmapFile& File) {
  if (!File.Path.empty()) unlink(File.Path.c_str());
  if (!File.PrivateFolder.empty()) rmdir(File.PrivateFolder.c_str());
}

}  // namespace sorvane
