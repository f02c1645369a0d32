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

// Every spelling of one display shares one lock; other hosts keep theirs.
TEST(ShowDisplayKey, SpellingsOfOneDisplayShareOneName) {
  const struct {
    const char* Name;
    const char* Key;
  } cases[] = {
      {":200", ":200"},          {":200.0", ":200"},       {":200.1", ":200"},
      {"unix:200", ":200"},      {"unix/:200.0", ":200"},  {"local/:200", ":200"},
      {":0200", ":200"},         {":00", ":0"},            {"unix:0.0", ":0"},
      {"localhost:10.0", "localhost:10"},  // TCP, perhaps ssh's forwarding: not ":10"
      {"tcp/LocalHost:10", "localhost:10"}, {"[::1]:3", "[::1]:3"}, {"node::0", "node::0"},
      // Not host:number[.screen]: as it is.
      {"", ""}, {"nocolon", "nocolon"}, {":x", ":x"}, {":1.x", ":1.x"}, {":", ":"},
      {"/tmp/launch-1/org.x:0", "/tmp/launch-1/org.x:0"},
  };
  for (const auto& c : cases) EXPECT_EQ(ShowDisplayKey(c.Name), c.Key) << c.Name;
}

TEST(ShowLockPath, RuntimeFolderWhenPrivateElseAPrivateFolderOfTheUser) {
  TempFolder t;
  const std::string runtime = t.File("runtime");
  ASSERT_EQ(mkdir(runtime.c_str(), 0700), 0);
  EXPECT_EQ(ShowLockPath(runtime.c_str(), ":1", t.Path()), runtime + "/sorvane-show-_1.lock");
  EXPECT_EQ(ShowLockPath(runtime.c_str(), "unix:1.0", t.Path()), runtime + "/sorvane-show-_1.lock");
  EXPECT_EQ(ShowLockPath(runtime.c_str(), "host/../x:0.0", t.Path()), runtime + "/sorvane-show-host_.._x_0.0.lock");

  // A runtime folder that cannot be used: a folder of the user's own under
  // the fallback base.
  const std::string own = t.File("sorvane-" + std::to_string(geteuid()));
  t.Write("a-file", "x");
  const std::string open = t.File("open"), shared = t.File("shared"), others = t.File("others");
  ASSERT_EQ(mkdir(open.c_str(), 0755), 0);
  ASSERT_EQ(mkdir(shared.c_str(), 0770), 0);
  ASSERT_EQ(chmod(open.c_str(), 0755), 0);  // whatever the umask
  ASSERT_EQ(chmod(shared.c_str(), 0770), 0);
  ASSERT_EQ(mkdir(others.c_str(), 0700), 0);
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(chown(others.c_str(), 65534, 65534), 0);  // as after su
  }
  const std::string unusable[] = {"", "relative", t.File("missing"), t.File("a-file"), open, shared};
  for (const std::string& folder : unusable) {
    SCOPED_TRACE(folder);
    EXPECT_EQ(ShowLockPath(folder.empty() ? nullptr : folder.c_str(), ":1.0", t.Path()), own + "/sorvane-show-_1.lock");
  }
  if (root) {
    EXPECT_EQ(ShowLockPath(others.c_str(), ":1", t.Path()), own + "/sorvane-show-_1.lock");
  }
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
