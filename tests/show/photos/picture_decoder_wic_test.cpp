// The Windows decoders beyond the formats we name: a picture whose kind we do
// not know from its signature goes to every codec WIC has (an icon here), and
// a file no codec takes is not a picture. Windows build only.

#include <gtest/gtest.h>

#include "../../support/temp_folder.h"
#include "photo_test_pictures.h"
#include "picture_decoders.h"
#include "picture_file.h"

namespace sorvane {

extern const unsigned char kTestWicIconIco[];
extern const std::size_t kTestWicIconIcoSize;

namespace {

TEST(WicAnyCodec, AnIconIsShownAndTextIsNotAPicture) {
  testing::TempFolder t;
  t.Write("quarters.ico", testing::Bytes(kTestWicIconIco, kTestWicIconIcoSize));
  t.Write("words.txt", "These are words, not a picture.\n");
  ASSERT_EQ(SniffPictureKind(kTestWicIconIco, kTestWicIconIcoSize), PictureKind::Unknown);
  int w = 0, h = 0;
  ASSERT_EQ(CheckPicture(t.File("quarters.ico"), w, h), PictureProblem::NoProblem);
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, 48);
  BgrImage image;
  ASSERT_TRUE(LoadPictureScaled(t.File("quarters.ico"), 32, 24, image));
  testing::ExpectQuarters(image, 64, 48);
  EXPECT_EQ(CheckPicture(t.File("words.txt"), w, h), PictureProblem::NotAPicture);
  EXPECT_FALSE(LoadPictureScaled(t.File("words.txt"), 32, 24, image));
}

}  // namespace
}  // namespace sorvane
