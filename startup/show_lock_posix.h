// The per-user lock that one show on a display holds for its life (pairs with
// show_lock_posix.cpp; Linux only). Two shows started at the same moment both
// find no show window yet; the lock, taken before that window guard, lets only
// one of them on. It does not replace the guard, which also sees the copies
// that another user or an older program started.
#pragma once

#include <string>

namespace sorvane {

// The display a name reaches, as "host:number": the screen number is dropped
// (a full-screen show covers the whole display), leading zeros go, and the
// local spellings ":N", "unix:N", "unix/:N" and "local/:N" all become ":N";
// "tcp/host:N" is "host:N", the host in lower case. Any other host stays as
// it is: "localhost:N" goes over TCP, and under ssh's X forwarding that is
// another machine's display, not the local ":N". A name that is not of the
// form host:number[.screen] is returned unchanged.
std::string ShowDisplayKey(const std::string& DisplayName);

// The lock file for the show on DisplayName's display (ShowDisplayKey): in
// RuntimeFolder ($XDG_RUNTIME_DIR) when that is an absolute path to a folder
// of this user that nobody else may enter; else in FallbackBase/sorvane-UID,
// which is made with mode 0700 and used only when it is the user's own folder
// that nobody else may write. Empty when neither can be used.
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
