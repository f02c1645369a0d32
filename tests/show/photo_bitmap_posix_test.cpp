// The temporary bitmap on Linux: a planted symbolic link is never followed,
// and the fallback folder is private to the user.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
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

// Neither the program folder nor the temporary folder can take the file: no
// path, the failure names both places and the system's reason, and the square
// itself comes back for the texture.
TEST(PhotoBitmapPosix, NoPlaceForTheFileSaysWhatFailedWhere) {
  TempFolder t;
  const std::string program = t.File("no-such-program-folder");
  const std::string tmp = t.File("no-such-tmp");
  const char* old = std::getenv("TMPDIR");
  const std::string saved = old ? old : "";
  setenv("TMPDIR", tmp.c_str(), 1);
  ShowRandom random(1);
  const PhotoBitmapFile file = PreparePhotoSquare("", program, random, PhotoBitmapPlace::BesideProgram);
  const PhotoBitmapFile second = PreparePhotoSquare("", program, random, PhotoBitmapPlace::PrivateTempFolder);
  if (old) setenv("TMPDIR", saved.c_str(), 1); else unsetenv("TMPDIR");
  EXPECT_TRUE(file.Path.empty());
  EXPECT_NE(file.Failure.find("cannot create " + program + "/Sorvane.bmp: "), std::string::npos) << file.Failure;
  EXPECT_NE(file.Failure.find("cannot make a folder in " + tmp + ": "), std::string::npos) << file.Failure;
  EXPECT_NE(file.Failure.find(std::strerror(ENOENT)), std::string::npos) << file.Failure;
  // Only the temporary folder was tried.
  EXPECT_TRUE(second.Path.empty());
  EXPECT_EQ(second.Failure.find(program), std::string::npos) << second.Failure;
  EXPECT_NE(second.Failure.find(tmp), std::string::npos) << second.Failure;
  EXPECT_TRUE(std::filesystem::is_empty(t.Path()));
  ShowRandom same(1);
  const BgrImage square = ComposePhotoSquare("", same);
  EXPECT_EQ(file.Square.Width, 512);
  EXPECT_EQ(file.Square.Height, 512);
  EXPECT_TRUE(file.Square.Pixels == square.Pixels);
}

// A FIFO or a folder named as the photograph is refused without waiting.
TEST(PhotoBitmapPosix, AFifoAsThePhotographIsNotWaitedOn) {
  TempFolder t;
  ASSERT_EQ(mkfifo(t.File("photo.jpg").c_str(), 0600), 0);
  int w = 0, h = 0;
  EXPECT_EQ(CheckPicture(t.File("photo.jpg"), w, h), PictureProblem::NotAFile);
  BgrImage image;
  EXPECT_FALSE(LoadPictureScaled(t.File("photo.jpg"), 10, 10, image));
  ShowRandom random(1);
  const PhotoBitmapFile file = PreparePhotoSquare(t.File("photo.jpg"), "", random, PhotoBitmapPlace::PrivateTempFolder);
  EXPECT_EQ(file.Photo, PictureProblem::NotAFile);
  EXPECT_FALSE(file.Path.empty());
  EXPECT_TRUE(file.Square.Pixels.empty());  // the file holds it
  DeletePhotoBitmap(file);
}

}  // namespace
}  // namespace sorvane
