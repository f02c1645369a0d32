// The show's per-user lock file (startup/show_lock_posix.h).

#include "show_lock_posix.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "../support/temp_folder.h"

namespace sorvane {
namespace {

using testing::TempFolder;

TEST(ShowLock, OneHolderAtATimeUntilItGoes) {
  TempFolder t;
  const std::string path = t.File("show.lock");
  auto first = std::make_unique<ShowLock>();
  ASSERT_TRUE(first->Take(path));
  ShowLock second;
  EXPECT_FALSE(second.Take(path));  // held: a second show ends
  EXPECT_FALSE(second.Take(path));
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  first.reset();  // the first show ends
  EXPECT_TRUE(second.Take(path));
  // A lock file left by an ended show locks nothing.
  ShowLock third;
  EXPECT_FALSE(third.Take(path));
}

TEST(ShowLock, ALockThatCannotBeMadeDoesNotStopTheShow) {
  TempFolder t;
  ShowLock a, b, c;
  EXPECT_TRUE(a.Take(""));
  EXPECT_TRUE(b.Take(t.File("missing/show.lock")));
  // A FIFO planted under the name is neither waited on nor locked.
  ASSERT_EQ(mkfifo(t.File("fifo.lock").c_str(), 0600), 0);
  EXPECT_TRUE(c.Take(t.File("fifo.lock")));
  // A link planted under the name is not followed.
  ASSERT_EQ(symlink(t.File("target").c_str(), t.File("link.lock").c_str()), 0);
  ShowLock d;
  EXPECT_TRUE(d.Take(t.File("link.lock")));
  EXPECT_FALSE(std::filesystem::exists(t.File("target")));
}

TEST(ShowLockPath, RuntimeFolderElseAPrivateFolderOfTheUser) {
  TempFolder t;
  EXPECT_EQ(ShowLockPath("/run/user/1000", ":1", t.Path()), "/run/user/1000/sorvane-show-_1.lock");
  EXPECT_EQ(ShowLockPath("/run/user/1000", "host/../x:0.0", t.Path()), "/run/user/1000/sorvane-show-host_.._x_0.0.lock");

  // Unset or relative: a folder of the user's own under the fallback base.
  const std::string own = t.File("sorvane-" + std::to_string(geteuid()));
  EXPECT_EQ(ShowLockPath(nullptr, ":1", t.Path()), own + "/sorvane-show-_1.lock");
  EXPECT_EQ(ShowLockPath("relative", ":1", t.Path()), own + "/sorvane-show-_1.lock");
  struct stat st;
  ASSERT_EQ(lstat(own.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  // A folder of that name that others may write, or a link, is not used.
  ASSERT_EQ(chmod(own.c_str(), 0777), 0);
  EXPECT_EQ(ShowLockPath(nullptr, ":1", t.Path()), "");
  ASSERT_EQ(rmdir(own.c_str()), 0);
  ASSERT_EQ(symlink(t.Path().c_str(), own.c_str()), 0);
  EXPECT_EQ(ShowLockPath(nullptr, ":1", t.Path()), "");
}

}  // namespace
}  // namespace sorvane
