// The photo library's Linux part (pairs with photo_library.h and
// photo_library_win32.cpp): reading a folder with readdir, telling folders
// apart by device and inode, and the XDG cache folder.

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "paths.h"
#include "photo_library.h"

namespace sorvane {

bool ListFolder(const std::string& Folder, const std::function<bool(const FolderIdentity&)>& Enter,
                const std::function<bool(const char*, FolderEntryKind)>& Each) {
  const int fd = open(Folder.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) != 0) {
    close(fd);
    return false;
  }
  if (!Enter(FolderIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)})) {
    close(fd);
    return true;
  }
  DIR* dir = fdopendir(fd);
  if (!dir) {
    close(fd);
    return false;
  }
  while (const dirent* entry = readdir(dir)) {
    FolderEntryKind kind = FolderEntryKind::Other;
    unsigned char type = entry->d_type;
    if (entry->d_name[0] == '.') {
      type = DT_UNKNOWN;  // hidden: the caller drops it without a look
    } else if (type == DT_LNK || type == DT_UNKNOWN) {
      struct stat target;  // a link counts as what it leads to
      type = fstatat(dirfd(dir), entry->d_name, &target, 0) != 0 ? DT_UNKNOWN
             : S_ISREG(target.st_mode)                           ? DT_REG
             : S_ISDIR(target.st_mode)                           ? DT_DIR
                                                                 : DT_UNKNOWN;
    }
    if (type == DT_REG) kind = FolderEntryKind::File;
    if (type == DT_DIR) kind = FolderEntryKind::Folder;
    if (!Each(entry->d_name, kind)) break;
  }
  closedir(dir);
  return true;
}

// Linux keeps a nice value per thread, named by the thread's id.
void LowerThreadPriority() { setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 19); }

std::string PhotoCacheFolder() {
  std::string base;
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  if (xdg && xdg[0] == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') return std::string();
    base = std::string(home) + "/.cache";
  }
  mkdir(base.c_str(), 0700);
  const std::string folder = base + "/sorvane";
  mkdir(folder.c_str(), 0700);
  return FolderExists(folder) ? folder : std::string();
}

}  // namespace sorvane
