// The temporary bitmap on Linux: a planted symbolic link is never followed,
// and the fallback folder is private to the user.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "../support/temp_folder.h"
#include "paths.h"
#include "photo_square.h"

namespace sorvane {
namespace {

using testing::TempFolder;

TEST(PhotoBitmapPosix, ALinkPlantedUnderTheNameIsRemovedNotFollowed) {
  TempFolder program, elsewhere;
  elsewhere.Write("victim", "precious");
  ASSERT_EQ(symlink(elsewhere.File("victim").c_str(), program.File("Sorvane.bmp").c_str()), 0);
  ShowRandom random(1);
  const PhotoBitmapFile file = PreparePhotoSquare("", program.Path(), random, PhotoBitmapPlace::BesideProgram);
  EXPECT_EQ(elsewhere.Read("victim"), "precious");
  ASSERT_FALSE(file.Path.empty());
  struct stat st;
  ASSERT_EQ(lstat(file.Path.c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(st.st_size, 786486);
  DeletePhotoBitmap(file);
  EXPECT_EQ(elsewhere.Read("victim"), "precious");
}

TEST(PhotoBitmapPosix, FallbackFolderIsNewPrivateAndUnderTmpdir) {
  TempFolder tmp;
  const char* old = std::getenv("TMPDIR");
  const std::string saved = old ? old : "";
  setenv("TMPDIR", tmp.Path().c_str(), 1);
  ShowRandom random(1);
  const PhotoBitmapFile file = PreparePhotoSquare("", "", random, PhotoBitmapPlace::BesideProgram);
  if (old) setenv("TMPDIR", saved.c_str(), 1); else unsetenv("TMPDIR");
  ASSERT_FALSE(file.PrivateFolder.empty());
  EXPECT_EQ(file.PrivateFolder.rfind(tmp.Path() + "/", 0), 0u);
  struct stat st;
  ASSERT_EQ(lstat(file.PrivateFolder.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_EQ(lstat(file.Path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0077, 0u);
  DeletePhotoBitmap(file);
  EXPECT_TRUE(std::filesystem::is_empty(tmp.Path()));
}

}  // namespace
}  // namespace sorvane
