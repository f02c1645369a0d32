// XScreenSaver's image folder read from its settings file, and picking a
// photograph from a feed through XScreenSaver's helper
// (startup/image_folder_posix.h), with stand-in helpers written as shell
// scripts into test folders.

#include "image_folder_posix.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "../support/temp_folder.h"

namespace sorvane {
namespace {

// A stand-in helper with the given shell body, made executable.
void WriteHelper(const testing::TempFolder& Folder, const std::string& Body, bool Executable = true) {
  Folder.Write(kImageFolderHelper, "#!/bin/sh\n" + Body + "\n");
  chmod(Folder.File(kImageFolderHelper).c_str(), Executable ? 0755 : 0644);
}

// Runs the picker on Places with PATH set to Path for the call.
bool Pick(const std::vector<std::string>& Places, std::string& Path, std::string& Why, int Timeout = 5000,
          const char* SearchPath = nullptr) {
  const char* old = std::getenv("PATH");
  const std::string saved = old ? old : "";
  if (SearchPath) setenv("PATH", SearchPath, 1);
  const bool ok = PickFromImageFolder(Places, Timeout, Path, Why);
  setenv("PATH", saved.c_str(), 1);
  return ok;
}

TEST(ImageFolder, TheFolderComesFromTheImageDirectoryLineOfTheSettings) {
  struct Row {
    const char* Settings;
    const char* Folder;
  };
  const Row rows[] = {
      {"timeout:\t0:10:00\nimageDirectory:\t/photos/sea and sky \r\nmode:\tone\n", "/photos/sea and sky"},
      {"imageDirectory:\t~/Pictures\n", "/home/u/Pictures"},
      {"imageDirectory:\t/a\nimageDirectory: /b", "/b"},  // the last one counts
      {"imageDirectory:\t\n", ""},
      {"  imageDirectory:\t/not/at/the/start\n", ""},
      {"", ""},
  };
  for (const Row& row : rows) EXPECT_EQ(ImageFolderInSettings(row.Settings, "/home/u"), row.Folder) << row.Settings;
  EXPECT_TRUE(IsFeedAddress("https://example.org/feed.rss"));
  EXPECT_FALSE(IsFeedAddress("/srv/http://x"));

  testing::TempFolder home;
  const std::string saved = std::getenv("HOME") ? std::getenv("HOME") : "";
  setenv("HOME", home.Path().c_str(), 1);
  std::string folder, why;
  EXPECT_FALSE(XScreenSaverImageFolder(folder, why));  // no ~/.xscreensaver
  EXPECT_NE(why.find("no image folder"), std::string::npos) << why;
  home.Write(".xscreensaver", "imageDirectory:\t~/photos\n");
  EXPECT_TRUE(XScreenSaverImageFolder(folder, why));
  EXPECT_EQ(folder, home.Path() + "/photos");
  setenv("HOME", saved.c_str(), 1);
}

TEST(ImageFolder, TakesTheAbsolutePathTheHelperPrints) {
  testing::TempFolder skipped, used;
  WriteHelper(skipped, "echo /wrong.jpg", false);  // not executable: not a helper
  // The helper is asked for an absolute path.
  WriteHelper(used, "[ \"$1\" = --absolute ] || exit 3\nprintf ' /photos/sea and sky.jpg \\nsecond line\\n'");
  std::string path, why;
  ASSERT_TRUE(Pick({skipped.Path(), "", used.Path()}, path, why)) << why;
  EXPECT_EQ(path, "/photos/sea and sky.jpg");
  // The program's own folder comes first among the places.
  EXPECT_EQ(ImageFolderHelperPlaces("/opt/x").front(), "/opt/x");
}

TEST(ImageFolder, FailuresAreSaidInWordsAndNothingIsLeftRunning) {
  testing::TempFolder folder;
  std::string path = "unchanged", why;

  // Not configured: the helper's own failure.
  WriteHelper(folder, "echo 'xscreensaver-getimage-file: image file loading is not configured' >&2; exit 1");
  EXPECT_FALSE(Pick({folder.Path()}, path, why));
  EXPECT_NE(why.find("image folder"), std::string::npos) << why;
  EXPECT_EQ(path, "unchanged");

  // A relative name, or nothing, is no answer.
  WriteHelper(folder, "echo photos/a.jpg");
  EXPECT_FALSE(Pick({folder.Path()}, path, why));
  WriteHelper(folder, "exit 0");
  EXPECT_FALSE(Pick({folder.Path()}, path, why));

  // Endless output is cut off, not collected.
  WriteHelper(folder, "exec yes /a/b");
  EXPECT_FALSE(Pick({folder.Path()}, path, why));

  // A helper that hangs is ended after the timeout, and reaped.
  WriteHelper(folder, "exec sleep 30");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Pick({folder.Path()}, path, why, 300));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_NE(why.find("longer than"), std::string::npos) << why;
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << "a child is left";

  // No helper anywhere, not even on the PATH.
  testing::TempFolder empty;
  EXPECT_FALSE(Pick({empty.Path()}, path, why, 5000, empty.Path().c_str()));
  EXPECT_NE(why.find("not found"), std::string::npos) << why;
  EXPECT_EQ(path, "unchanged");

  // Found on the PATH when no place has it.
  testing::TempFolder onPath;
  WriteHelper(onPath, "echo /from/path.jpg");
  ASSERT_TRUE(Pick({empty.Path()}, path, why, 5000, onPath.Path().c_str())) << why;
  EXPECT_EQ(path, "/from/path.jpg");
}

}  // namespace
}  // namespace sorvane
