// HEIF and AVIF photographs through libheif: each kind reaches its size
// upright (irot applied), and damaged or hostile files are refused quickly.
// Linux only: Wine's WIC has no HEIF decoder.

#ifndef _WIN32

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

#include "../support/temp_folder.h"
#include "heif_decoder.h"
#include "photo_test_pictures.h"
#include "picture_file.h"

namespace sorvane {
namespace {

using testing::Bytes;
using testing::ExpectQuarters;
using testing::TempFolder;

struct HeifCase {
  const char* Name;
  const unsigned char* Data;
  size_t Size;
};

class HeifKinds : public ::testing::TestWithParam<HeifCase> {};

TEST_P(HeifKinds, DecodeUprightToTheirQuartersFromFileAndMemory) {
  const HeifCase c = GetParam();
  TempFolder t;
  t.Write("p", Bytes(c.Data, c.Size));
  int w = 0, h = 0;
  ASSERT_EQ(CheckPicture(t.File("p"), w, h), PictureProblem::NoProblem);
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, 48);
  BgrImage fromFile, fromMemory;
  ASSERT_TRUE(LoadPictureScaled(t.File("p"), 32, 24, fromFile));
  ASSERT_TRUE(LoadHeifScaled(PictureInput::Memory(c.Data, c.Size), 64, 48, fromMemory));
  ASSERT_EQ(fromFile.Width, 32);
  ASSERT_EQ(fromFile.Height, 24);
  ExpectQuarters(fromFile, 64, 48, false, 40);
  ExpectQuarters(fromMemory, 64, 48, false, 40);
}

INSTANTIATE_TEST_SUITE_P(Kinds, HeifKinds,
                         ::testing::Values(HeifCase{"Heic", kTestHeifQuartersHeic, kTestHeifQuartersHeicSize},
                                           HeifCase{"Avif", kTestHeifQuartersAvif, kTestHeifQuartersAvifSize},
                                           HeifCase{"HeicTurnedByIrot", kTestHeifTurnedHeic,
                                                    kTestHeifTurnedHeicSize}),
                         [](const ::testing::TestParamInfo<HeifCase>& info) { return std::string(info.param.Name); });

// Every ispe box of File claims Width x Height.
std::string WithIspe(std::string File, uint32_t Width, uint32_t Height) {
  for (size_t at = File.find("ispe"); at != std::string::npos; at = File.find("ispe", at + 1)) {
    for (int i = 0; i < 4; ++i) {
      File[at + 8 + i] = static_cast<char>(Width >> (24 - 8 * i));
      File[at + 12 + i] = static_cast<char>(Height >> (24 - 8 * i));
    }
  }
  return File;
}

TEST(HeifRefusals, DamagedAndHostileFilesAreRefusedQuickly) {
  TempFolder t;
  for (const HeifCase& source : {HeifCase{"heic", kTestHeifQuartersHeic, kTestHeifQuartersHeicSize},
                                 HeifCase{"avif", kTestHeifQuartersAvif, kTestHeifQuartersAvifSize}}) {
    const std::string good = Bytes(source.Data, source.Size);
    ASSERT_NE(good.find("ispe"), std::string::npos);
    std::string noise = good.substr(0, 24);
    std::mt19937 random(7);
    while (noise.size() < good.size()) noise += static_cast<char>(random());
    struct Bad {
      const char* Name;
      std::string Bytes;
      PictureProblem Problem;  // from CheckPicture
    };
    const Bad bad[] = {
        {"header cut", good.substr(0, 40), PictureProblem::Undecodable},
        {"coded data cut", good.substr(0, good.size() - 60), PictureProblem::Undecodable},
        {"noise after the signature", noise, PictureProblem::Undecodable},
        {"claims 100000 x 100000", WithIspe(good, 100000, 100000), PictureProblem::TooLarge},
        {"claims 9000 x 9000", WithIspe(good, 9000, 9000), PictureProblem::TooLarge},
        {"claims 0 x 0", WithIspe(good, 0, 0), PictureProblem::Undecodable},
    };
    for (const Bad& b : bad) {
      SCOPED_TRACE(std::string(source.Name) + ": " + b.Name);
      t.Write("bad", b.Bytes);
      const auto start = std::chrono::steady_clock::now();
      int w = 0, h = 0;
      EXPECT_EQ(CheckPicture(t.File("bad"), w, h), b.Problem);
      BgrImage image;
      EXPECT_FALSE(LoadPictureScaled(t.File("bad"), 512, 384, image));
      const auto* data = reinterpret_cast<const unsigned char*>(b.Bytes.data());
      EXPECT_FALSE(LoadHeifScaled(PictureInput::Memory(data, b.Bytes.size()), 512, 384, image));
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    }
  }
}

}  // namespace
}  // namespace sorvane

#endif  // _WIN32
