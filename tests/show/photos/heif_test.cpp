// HEIF and AVIF photographs through libheif: each kind (HEIC, AVIF, turned by
// irot, 10-bit, alpha) reaches its size upright, and damaged or hostile files
// are refused quickly.
// Linux only: Wine's WIC has no HEIF decoder.

#ifndef _WIN32

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "../support/temp_folder.h"
#include "heif_decoder.h"
#include "photo_test_pictures.h"
#include "picture_file.h"
#include "picture_sampling.h"

namespace sorvane {
namespace {

using testing::Bgr;
using testing::Bytes;
using testing::ExpectQuarters;
using testing::Near;
using testing::PixelAt;
using testing::QuarterColour;
using testing::TempFolder;

struct HeifCase {
  const char* Name;
  const unsigned char* Data;
  size_t Size;
  bool WhiteTransparent = false;  // the white quarter has alpha 0: black over black
};

// The quarters within the tolerance of lossy coding; with WhiteTransparent the
// white quarter black.
void ExpectHeifQuarters(const BgrImage& Image, bool WhiteTransparent) {
  if (!WhiteTransparent) return ExpectQuarters(Image, 64, 48, false, 40);
  int wrong = 0;
  for (int y = 0; y < Image.Height; ++y)
    for (int x = 0; x < Image.Width; ++x) {
      Bgr want = QuarterColour(NearestSourceIndex(x, 64, Image.Width), NearestSourceIndex(y, 48, Image.Height), 64, 48);
      if (want.R == 255 && want.G == 255 && want.B == 255) want = testing::kBlack;
      if (!Near(PixelAt(Image, x, y), want, 40)) ++wrong;
    }
  EXPECT_EQ(wrong, 0);
}

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
  ExpectHeifQuarters(fromFile, c.WhiteTransparent);
  ExpectHeifQuarters(fromMemory, c.WhiteTransparent);
}

INSTANTIATE_TEST_SUITE_P(Kinds, HeifKinds,
                         ::testing::Values(HeifCase{"Heic", kTestHeifQuartersHeic, kTestHeifQuartersHeicSize},
                                           HeifCase{"Avif", kTestHeifQuartersAvif, kTestHeifQuartersAvifSize},
                                           HeifCase{"HeicTurnedByIrot", kTestHeifTurnedHeic,
                                                    kTestHeifTurnedHeicSize},
                                           HeifCase{"Heic10Bit", kTestHeif10BitHeic, kTestHeif10BitHeicSize},
                                           HeifCase{"HeicAlpha", kTestHeifAlphaHeic, kTestHeifAlphaHeicSize, true}),
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

// File with its grid (heif-enc writes one, its descriptor in idat) declaring
// a canvas of 60000 x 60000; empty when File holds no idat.
std::string WithGridCanvas(std::string File) {
  const size_t at = File.find("idat");
  if (at == std::string::npos || at + 12 > File.size()) return std::string();
  File[at + 8] = File[at + 10] = static_cast<char>(60000 >> 8);
  File[at + 9] = File[at + 11] = static_cast<char>(60000 & 0xFF);
  return File;
}

// File with its grid's one source (the first 'dimg' reference) naming item
// 237, which the file does not hold; empty when File has no such reference.
std::string WithGridSourceMissing(std::string File) {
  const size_t at = File.find("dimg");
  if (at == std::string::npos || at + 12 > File.size()) return std::string();
  File[at + 8] = 0;
  File[at + 9] = static_cast<char>(237);
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
    std::vector<Bad> bad = {
        {"header cut", good.substr(0, 40), PictureProblem::Undecodable},
        {"coded data cut", good.substr(0, good.size() - 60), PictureProblem::Undecodable},
        {"noise after the signature", noise, PictureProblem::Undecodable},
        {"claims 100000 x 100000", WithIspe(good, 100000, 100000), PictureProblem::TooLarge},
        {"claims 9000 x 9000", WithIspe(good, 9000, 9000), PictureProblem::TooLarge},
        {"claims 0 x 0", WithIspe(good, 0, 0), PictureProblem::Undecodable},
    };
    // A canvas beyond what the boxes announce: refused when decoded, before
    // libheif makes it.
    const std::string canvas = WithGridCanvas(good);
    if (!canvas.empty()) bad.push_back({"grid canvas claims 60000 x 60000", canvas, PictureProblem::NoProblem});
    // libheif 1.15 aborts the process on a derived image without its source.
    const std::string orphan = WithGridSourceMissing(good);
    if (!orphan.empty()) bad.push_back({"grid's source missing", orphan, PictureProblem::Undecodable});
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
