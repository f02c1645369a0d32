// The per-user lock that one show on a display holds for its life (pairs with
// show_lock_posix.cpp; Linux only). Two shows started at the same moment both
// find no show window yet; the lock, taken before that window guard, lets only
// one of them on. It does not replace the guard, which also sees the copies
// that another user or an older program started.
#pragma once

#include <string>

namespace sorvane {

// The lock file for the show on DisplayName: in RuntimeFolder ($XDG_RUNTIME_DIR)
// when that is an absolute path, else in FallbackBase/sorvane-UID, which is
// made with mode 0700 and used only when it is the user's own folder that
// nobody else may write. Empty when neither can be used.
std::string ShowLockPath(const char* RuntimeFolder, const std::string& DisplayName,
                         const std::string& FallbackBase = "/tmp");

class ShowLock {
 public:
  ShowLock() = default;
  ShowLock(const ShowLock&) = delete;
  ShowLock& operator=(const ShowLock&) = delete;
  ~ShowLock();  // releases the lock

  // Takes the lock in Path (created 0600 when missing). False only when
  // another process holds it; a lock file that cannot be made at all (empty
  // Path, no such folder) gives true, since the window guard still applies.
  bool Take(const std::string& Path);

 private:
  int fd_ = -1;
};

}  // namespace sorvane
