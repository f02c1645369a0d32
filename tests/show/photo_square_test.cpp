// The photo square: the fitting numbers, composing onto black, the built-in
// pick, the fallback for photographs that cannot be shown, the 786,486-byte
// bitmap layout, and where the bitmap is written.

#include "photo_square.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "../support/temp_folder.h"
#include "embedded_resources.h"
#include "paths.h"
#include "photo_test_pictures.h"
#include "photo_texture.h"

namespace sorvane {
namespace {

using testing::BmpShape;
using testing::Near;
using testing::PixelAt;
using testing::TempFolder;

// A seed whose first random number is below one half (Below) or not.
uint32_t SeedWhoseFirstNumberIs(bool Below) {
  for (uint32_t seed = 0;; ++seed) {
    ShowRandom r(seed);
    if ((r.Next() < 0.5) == Below) return seed;
  }
}

uint32_t Le32(const std::string& S, size_t At) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(S[At + i]);
  return v;
}

TEST(FitPhotoToSquare, KeepsProportionsWithRoundingHalfToEven) {
  struct Case {
    int W, H, Width, Height, X, Y;
  };
  const Case cases[] = {
      {640, 480, 512, 384, 0, 64},   {480, 640, 384, 512, 64, 0},  {300, 200, 512, 341, 0, 86},
      {1024, 341, 512, 170, 0, 171}, {1000, 1000, 512, 512, 0, 0}, {1, 1, 512, 512, 0, 0},
      {6000, 4000, 512, 341, 0, 86}, {3, 1, 512, 171, 0, 170},     {200, 300, 341, 512, 86, 0},
      {1, 60000, 0, 512, 256, 0},    {60000, 1, 512, 0, 0, 256},   {1000, 1, 512, 1, 0, 256},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.W) + " x " + std::to_string(c.H));
    const PhotoFit fit = FitPhotoToSquare(c.W, c.H);
    EXPECT_EQ(fit.Width, c.Width);
    EXPECT_EQ(fit.Height, c.Height);
    EXPECT_EQ(fit.X, c.X);
    EXPECT_EQ(fit.Y, c.Y);
  }
  const PhotoFit none = FitPhotoToSquare(0, 480);
  EXPECT_EQ(none.Width, 0);
  EXPECT_EQ(none.Height, 0);
}

TEST(PhotoBitmapLayout, HeadersAndBottomUpBgrRows) {
  BgrImage square;
  square.Width = square.Height = 512;
  square.Pixels.assign(512 * 512 * 3, 0);
  // Top-left pixel red, bottom-left pixel blue, top-right green.
  square.Pixels[2] = 255;
  square.Pixels[(511 * 512) * 3 + 0] = 255;
  square.Pixels[511 * 3 + 1] = 255;
  const std::vector<uint8_t> v = EncodePhotoBitmap(square);
  const std::string f(v.begin(), v.end());
  ASSERT_EQ(f.size(), 786486u);
  EXPECT_EQ(f.substr(0, 2), "BM");
  EXPECT_EQ(Le32(f, 2), 786486u);
  EXPECT_EQ(Le32(f, 6), 0u);
  EXPECT_EQ(Le32(f, 10), 54u);
  EXPECT_EQ(Le32(f, 14), 40u);
  EXPECT_EQ(Le32(f, 18), 512u);
  EXPECT_EQ(Le32(f, 22), 512u);
  EXPECT_EQ(Le32(f, 26) & 0xFFFF, 1u);
  EXPECT_EQ(Le32(f, 26) >> 16, 24u);
  EXPECT_EQ(Le32(f, 30), 0u);
  EXPECT_EQ(Le32(f, 34), 786432u);
  EXPECT_EQ(Le32(f, 46), 0u);
  EXPECT_EQ(Le32(f, 50), 0u);
  // First stored row = bottom row: its first pixel is blue.
  EXPECT_EQ(static_cast<unsigned char>(f[54]), 255);
  EXPECT_EQ(static_cast<unsigned char>(f[56]), 0);
  // Last stored row = top row: red, then green at its end.
  const size_t top = 54 + 511 * 1536;
  EXPECT_EQ(static_cast<unsigned char>(f[top + 0]), 0);
  EXPECT_EQ(static_cast<unsigned char>(f[top + 2]), 255);
  EXPECT_EQ(static_cast<unsigned char>(f[top + 1533 + 1]), 255);
}

TEST(ComposePhotoSquare, FitsTheUserPhotographOntoBlack) {
  TempFolder t;
  BmpShape shape;  // 64 x 48, 24 bits: fitted to 512 x 384 at (0, 64)
  t.Write("p.bmp", testing::MakeQuarterBmp(shape));
  ShowRandom random(1);
  const BgrImage s = ComposePhotoSquare(t.File("p.bmp"), random);
  ASSERT_EQ(s.Width, 512);
  ASSERT_EQ(s.Height, 512);
  EXPECT_TRUE(Near(PixelAt(s, 0, 0), testing::kBlack, 0));
  EXPECT_TRUE(Near(PixelAt(s, 511, 63), testing::kBlack, 0));
  EXPECT_TRUE(Near(PixelAt(s, 0, 64), testing::kRed, 0));
  // Column 255 samples source 31 (red), 256 samples 32 (green); rows alike.
  EXPECT_TRUE(Near(PixelAt(s, 255, 64 + 191), testing::kRed, 0));
  EXPECT_TRUE(Near(PixelAt(s, 256, 64), testing::kGreen, 0));
  EXPECT_TRUE(Near(PixelAt(s, 0, 64 + 192), testing::kBlue, 0));
  EXPECT_TRUE(Near(PixelAt(s, 511, 64 + 383), testing::kWhite, 0));
  EXPECT_TRUE(Near(PixelAt(s, 511, 448), testing::kBlack, 0));
  EXPECT_TRUE(Near(PixelAt(s, 0, 511), testing::kBlack, 0));
}

TEST(ComposePhotoSquare, UprightPhotographIsCentredSideways) {
  TempFolder t;
  BmpShape shape;
  shape.Width = 48;
  shape.Height = 64;  // 384 x 512 at (64, 0)
  t.Write("p.bmp", testing::MakeQuarterBmp(shape));
  ShowRandom random(1);
  const BgrImage s = ComposePhotoSquare(t.File("p.bmp"), random);
  EXPECT_TRUE(Near(PixelAt(s, 63, 0), testing::kBlack, 0));
  EXPECT_TRUE(Near(PixelAt(s, 64, 0), testing::kRed, 0));
  EXPECT_TRUE(Near(PixelAt(s, 64 + 383, 511), testing::kWhite, 0));
  EXPECT_TRUE(Near(PixelAt(s, 64 + 384, 511), testing::kBlack, 0));
}

// The built-in photograph Index as the square must show it.
BgrImage BuiltIn(int Index) {
  BgrImage image;
  EXPECT_TRUE(Index == 0 ? DecodeJpegMemory(kPhoto0Jpeg, kPhoto0JpegSize, image)
                         : DecodeJpegMemory(kPhoto1Jpeg, kPhoto1JpegSize, image));
  return image;
}

TEST(ComposePhotoSquare, EmptyPathPicksBuiltInByTheFirstRandomNumber) {
  const BgrImage photo0 = BuiltIn(0), photo1 = BuiltIn(1);
  ASSERT_EQ(photo0.Width, 512);
  ASSERT_EQ(photo0.Height, 512);
  ASSERT_NE(photo0.Pixels, photo1.Pixels);
  ShowRandom below(SeedWhoseFirstNumberIs(true)), above(SeedWhoseFirstNumberIs(false));
  EXPECT_EQ(ComposePhotoSquare("", below).Pixels, photo0.Pixels);
  EXPECT_EQ(ComposePhotoSquare("", above).Pixels, photo1.Pixels);
}

TEST(ComposePhotoSquare, PhotographsThatCannotBeShownGiveTheBuiltInOne) {
  TempFolder t;
  const BgrImage photo1 = BuiltIn(1);
  BmpShape tall;
  tall.Width = 1;
  tall.Height = 60000;  // fits as 0 x 512: nothing would show
  t.Write("tall.bmp", testing::MakeQuarterBmp(tall));
  std::string truncated = testing::Bytes(kTestBaselineJpeg, kTestBaselineJpegSize);
  truncated.resize(truncated.size() / 2);
  t.Write("truncated.jpg", truncated);
  t.Write("text.jpg", "hello");
  t.Write("empty.bmp", "");
  std::string huge = testing::MakeQuarterBmp(BmpShape{});
  huge[18] = huge[22] = static_cast<char>(0xA0);
  huge[19] = huge[23] = static_cast<char>(0x86);
  huge[20] = huge[24] = 0x01;  // 100000 x 100000
  t.Write("huge.bmp", huge);
  std::filesystem::create_directory(t.File("folder.jpg"));
  // A progressive header claiming 40000 x 40000: within the pixel limit, but
  // its coefficients alone would take 9.6 GB.
  std::string claim = testing::Bytes(kTestProgressiveJpeg, kTestProgressiveJpegSize);
  const size_t sof = claim.find("\xFF\xC2");
  ASSERT_NE(sof, std::string::npos);
  claim[sof + 5] = claim[sof + 7] = static_cast<char>(40000 >> 8);
  claim[sof + 6] = claim[sof + 8] = static_cast<char>(40000 & 0xFF);
  t.Write("claim.jpg", claim);
  const struct {
    const char* Name;
    PictureProblem Why;
  } cases[] = {{"tall.bmp", PictureProblem::TooThin},       {"truncated.jpg", PictureProblem::Undecodable},
               {"text.jpg", PictureProblem::NotAPicture},   {"empty.bmp", PictureProblem::NotAPicture},
               {"huge.bmp", PictureProblem::TooLarge},      {"claim.jpg", PictureProblem::TooLarge},
               {"folder.jpg", PictureProblem::FolderEmpty}, {"missing.jpg", PictureProblem::Missing}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    ShowRandom above(SeedWhoseFirstNumberIs(false));
    PictureProblem why = PictureProblem::NoProblem;
    EXPECT_EQ(ComposePhotoSquare(t.File(c.Name), above, &why).Pixels, photo1.Pixels);
    EXPECT_EQ(why, c.Why) << PictureProblemText(why);
    // The written bitmap carries the same reason.
    ShowRandom again(SeedWhoseFirstNumberIs(false));
    const PhotoBitmapFile file = PreparePhotoSquare(t.File(c.Name), "", again, PhotoBitmapPlace::PrivateTempFolder);
    EXPECT_EQ(file.Photo, c.Why);
    DeletePhotoBitmap(file);
  }
  // A usable photograph and the built-in one have no problem.
  t.Write("good.jpg", testing::Bytes(kTestProgressiveJpeg, kTestProgressiveJpegSize));
  for (const std::string& path : {t.File("good.jpg"), std::string()}) {
    ShowRandom random(1);
    PictureProblem why = PictureProblem::TooLarge;
    ComposePhotoSquare(path, random, &why);
    EXPECT_EQ(why, PictureProblem::NoProblem);
  }
}

TEST(PreparePhotoSquare, WritesBesideTheProgramReplacingAnOldFile) {
  TempFolder t;
  t.Write("Sorvane.bmp", "old contents");
  ShowRandom random(7);
  const PhotoBitmapFile file = PreparePhotoSquare("", t.Path(), random, PhotoBitmapPlace::BesideProgram);
  EXPECT_EQ(file.Path, t.Path() + PathSeparator() + "Sorvane.bmp");
  EXPECT_TRUE(file.PrivateFolder.empty());
  const std::string bytes = t.Read("Sorvane.bmp");
  ASSERT_EQ(bytes.size(), 786486u);
  ShowRandom same(7);
  const std::vector<uint8_t> expected = EncodePhotoBitmap(ComposePhotoSquare("", same));
  EXPECT_TRUE(std::memcmp(bytes.data(), expected.data(), expected.size()) == 0);

  PhotoBitmapPixels read;
  std::string error;
  ASSERT_TRUE(ReadPhotoBitmap(file.Path, read, error)) << error;
  EXPECT_EQ(read.Width, 512);
  EXPECT_EQ(read.Height, 512);
  EXPECT_TRUE(std::memcmp(read.Pixels.data(), expected.data() + 54, read.Pixels.size()) == 0);

  DeletePhotoBitmap(file);
  EXPECT_FALSE(FileExists(file.Path));
  EXPECT_TRUE(std::filesystem::is_directory(t.Path()));
}

TEST(PreparePhotoSquare, FallsBackToAPrivateTemporaryFolder) {
  TempFolder t;
  t.Write("plain-file", "x");
  const std::string unwritable[] = {t.File("no-such-folder"), t.File("plain-file"), ""};
  for (const std::string& folder : unwritable) {
    SCOPED_TRACE(folder);
    ShowRandom random(3);
    const PhotoBitmapFile file = PreparePhotoSquare("", folder, random, PhotoBitmapPlace::BesideProgram);
    ASSERT_FALSE(file.Path.empty());
    ASSERT_FALSE(file.PrivateFolder.empty());
    EXPECT_EQ(file.Path.rfind(file.PrivateFolder, 0), 0u);
    EXPECT_TRUE(FileExists(file.Path));
    EXPECT_EQ(std::filesystem::file_size(file.Path), 786486u);
    DeletePhotoBitmap(file);
    EXPECT_FALSE(FileExists(file.Path));
    EXPECT_FALSE(std::filesystem::exists(file.PrivateFolder));
  }
  EXPECT_FALSE(std::filesystem::exists(t.File("no-such-folder")));
  EXPECT_EQ(t.Read("plain-file"), "x");
}

TEST(PreparePhotoSquare, PrivateTempFolderNeverTouchesTheProgramFolder) {
  TempFolder t;
  ShowRandom r1(3), r2(3);
  const PhotoBitmapFile a = PreparePhotoSquare("", t.Path(), r1, PhotoBitmapPlace::PrivateTempFolder);
  const PhotoBitmapFile b = PreparePhotoSquare("", t.Path(), r2, PhotoBitmapPlace::PrivateTempFolder);
  EXPECT_FALSE(FileExists(t.File("Sorvane.bmp")));
  ASSERT_FALSE(a.Path.empty());
  ASSERT_FALSE(b.Path.empty());
  EXPECT_NE(a.PrivateFolder, b.PrivateFolder);  // two copies side by side
  EXPECT_TRUE(FileExists(a.Path));
  EXPECT_TRUE(FileExists(b.Path));
  DeletePhotoBitmap(a);
  EXPECT_TRUE(FileExists(b.Path));
  DeletePhotoBitmap(b);
  EXPECT_FALSE(std::filesystem::exists(a.PrivateFolder));
  EXPECT_FALSE(std::filesystem::exists(b.PrivateFolder));
}

}  // namespace
}  // namespace sorvane
