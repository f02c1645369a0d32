// PNG and WebP reading: each variant the decoders handle reaches the asked
// size upright with its quarters in place, from a file and from memory; and
// damaged or hostile files of both formats are refused with the right reason,
// quickly. WebP rows run only on Linux (Wine's WIC reads no WebP).

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "../support/temp_folder.h"
#include "photo_test_pictures.h"
#include "picture_decoders.h"
#include "picture_file.h"
#include "picture_sampling.h"

namespace sorvane {
namespace {

using testing::Bgr;
using testing::Bytes;
using testing::Near;
using testing::PixelAt;
using testing::QuarterColour;
using testing::TempFolder;

// What a test picture's quarters show.
enum class Shows { Colours, Grey, WhiteClear };

struct Variant {
  const char* Name;
  const unsigned char* Data;
  size_t Size;
  Shows Quarters;
  int Tolerance;
};

// The expected colour of upright source pixel (X, Y) of a 64 x 48 picture.
Bgr Expected(Shows Quarters, int X, int Y) {
  const Bgr colour = QuarterColour(X, Y, 64, 48);
  const int quarter = (Y >= 24 ? 2 : 0) + (X >= 32 ? 1 : 0);
  if (Quarters == Shows::Grey) {
    const int level = quarter * 85;
    return Bgr{level, level, level};
  }
  if (Quarters == Shows::WhiteClear && quarter == 3) return testing::kBlack;
  return colour;
}

// Every pixel of a DestWidth x DestHeight decode has the colour of the
// upright source pixel it samples.
void ExpectSampled(const BgrImage& Image, const Variant& V, int DestWidth, int DestHeight) {
  ASSERT_EQ(Image.Width, DestWidth);
  ASSERT_EQ(Image.Height, DestHeight);
  int wrong = 0;
  for (int y = 0; y < DestHeight; ++y)
    for (int x = 0; x < DestWidth; ++x) {
      const Bgr want = Expected(V.Quarters, NearestSourceIndex(x, 64, DestWidth), NearestSourceIndex(y, 48, DestHeight));
      if (!Near(PixelAt(Image, x, y), want, V.Tolerance)) ++wrong;
    }
  EXPECT_EQ(wrong, 0);
}

class PngWebPVariants : public ::testing::TestWithParam<Variant> {};

// 8 x 6 keeps lossy samples four pixels away from the quarter edges; 96 x 72
// enlarges, repeating rows and columns.
TEST_P(PngWebPVariants, ReachTheAskedSizeUprightFromFileAndMemory) {
  const Variant v = GetParam();
  const PictureKind kind = SniffPictureKind(v.Data, v.Size);
  if (!DecoderFor(kind)) GTEST_SKIP() << "no decoder of this format on this platform yet";
  TempFolder t;
  t.Write("p", Bytes(v.Data, v.Size));
  int w = 0, h = 0;
  ASSERT_EQ(CheckPicture(t.File("p"), w, h), PictureProblem::NoProblem);
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, 48);
  for (const auto& size : {std::pair<int, int>{8, 6}, std::pair<int, int>{96, 72}}) {
    SCOPED_TRACE(std::to_string(size.first) + "x" + std::to_string(size.second));
    BgrImage fromFile, fromMemory;
    ASSERT_TRUE(LoadPictureScaled(t.File("p"), size.first, size.second, fromFile));
    ExpectSampled(fromFile, v, size.first, size.second);
    ASSERT_TRUE(DecoderFor(kind)->LoadScaled(PictureInput::Memory(v.Data, v.Size), size.first, size.second,
                                             fromMemory));
    EXPECT_EQ(fromMemory.Pixels, fromFile.Pixels);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, PngWebPVariants,
    ::testing::Values(Variant{"PngRgb8", kTestPngRgb8Png, kTestPngRgb8PngSize, Shows::Colours, 0},
                      Variant{"PngRgb16", kTestPngRgb16Png, kTestPngRgb16PngSize, Shows::Colours, 0},
                      Variant{"PngPalette2Bit", kTestPngPalettePng, kTestPngPalettePngSize, Shows::Colours, 0},
                      Variant{"PngInterlaced", kTestPngInterlacedPng, kTestPngInterlacedPngSize, Shows::Colours, 0},
                      Variant{"PngGrey16", kTestPngGrey16Png, kTestPngGrey16PngSize, Shows::Grey, 1},
                      Variant{"PngRgba", kTestPngRgbaPng, kTestPngRgbaPngSize, Shows::WhiteClear, 0},
                      Variant{"PngPaletteTrns", kTestPngPaletteTrnsPng, kTestPngPaletteTrnsPngSize, Shows::WhiteClear, 0},
                      Variant{"PngExifTurned", kTestPngExif6Png, kTestPngExif6PngSize, Shows::Colours, 0}
#ifndef _WIN32
                      ,
                      Variant{"WebPLossy", kTestWebpLossyWebp, kTestWebpLossyWebpSize, Shows::Colours, 40},
                      Variant{"WebPLossless", kTestWebpLosslessWebp, kTestWebpLosslessWebpSize, Shows::Colours, 0},
                      Variant{"WebPAlpha", kTestWebpAlphaWebp, kTestWebpAlphaWebpSize, Shows::WhiteClear, 40},
                      Variant{"WebPExifTurned", kTestWebpExif8Webp, kTestWebpExif8WebpSize, Shows::Colours, 0}
#endif
                      ),
    [](const ::testing::TestParamInfo<Variant>& info) { return std::string(info.param.Name); });

struct Hostile {
  const char* Name;
  std::string Bytes;
  PictureProblem Problem;
};

// Each damaged file gives its reason and no picture, from file and memory.
void ExpectRefused(const std::vector<Hostile>& Files) {
  TempFolder t;
  for (const Hostile& f : Files) {
    SCOPED_TRACE(f.Name);
    t.Write("bad", f.Bytes);
    const auto start = std::chrono::steady_clock::now();
    int w = 0, h = 0;
    BgrImage image;
    // A truncated file's header may still be whole: then only the decode fails.
    if (f.Problem != PictureProblem::NoProblem) {
      EXPECT_EQ(CheckPicture(t.File("bad"), w, h), f.Problem);
    }
    EXPECT_FALSE(LoadPictureScaled(t.File("bad"), 64, 48, image));
    const auto* data = reinterpret_cast<const unsigned char*>(f.Bytes.data());
    const PictureDecoder* decoder = DecoderFor(SniffPictureKind(data, f.Bytes.size()));
    if (decoder) {
      EXPECT_FALSE(decoder->LoadScaled(PictureInput::Memory(data, f.Bytes.size()), 64, 48, image));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  }
}

void Put32(std::string& S, size_t At, uint32_t V, bool BigEndian) {
  for (int i = 0; i < 4; ++i) S[At + i] = static_cast<char>(V >> (BigEndian ? 24 - 8 * i : 8 * i));
}

TEST(PngRefusals, DamagedAndHostilePngsAreRefusedQuickly) {
  if (!DecoderFor(PictureKind::Png)) GTEST_SKIP() << "no PNG decoder on this platform yet";
  const std::string good = Bytes(kTestPngRgb8Png, kTestPngRgb8PngSize);
  std::string huge = good, zero = good, noise = good.substr(0, 8);
  Put32(huge, 16, 100000, true);
  Put32(huge, 20, 100000, true);
  Put32(zero, 20, 0, true);
  for (int i = 0; i < 200; ++i) noise += static_cast<char>(i * 37 + 11);
  ExpectRefused({{"truncated", good.substr(0, good.size() / 2), PictureProblem::NoProblem},
                 {"signature only", good.substr(0, 8), PictureProblem::Undecodable},
                 {"noise after the signature", noise, PictureProblem::Undecodable},
                 {"claims 100000 x 100000", huge, PictureProblem::TooLarge},
                 {"height 0", zero, PictureProblem::Undecodable}});
}

#ifndef _WIN32
TEST(WebPRefusals, DamagedAndHostileWebPsAreRefusedQuickly) {
  const std::string lossy = Bytes(kTestWebpLossyWebp, kTestWebpLossyWebpSize);
  const std::string alpha = Bytes(kTestWebpAlphaWebp, kTestWebpAlphaWebpSize);  // VP8X: 24-bit canvas size
  const std::string lossless = Bytes(kTestWebpLosslessWebp, kTestWebpLosslessWebpSize);
  std::string huge = alpha, zero = lossy, noise = lossy.substr(0, 12), wide = lossless;
  // Canvas width and height less one, 24 bits each, at 24 and 27.
  for (int i = 0; i < 3; ++i) huge[24 + i] = huge[27 + i] = static_cast<char>((99999 >> (8 * i)) & 0xFF);
  zero[26] = zero[27] = 0;  // the VP8 key frame's 14-bit width
  // 16384 x 16384 lossless: 14-bit sides less one after the signature byte 0x2F.
  Put32(wide, 21, 0x3FFFu | 0x3FFFu << 14 | (static_cast<uint8_t>(wide[24]) & 0xF0u) << 24, false);
  for (int i = 0; i < 200; ++i) noise += static_cast<char>(i * 37 + 11);
  ExpectRefused({{"truncated", lossy.substr(0, lossy.size() / 2), PictureProblem::NoProblem},
                 {"noise after the signature", noise, PictureProblem::Undecodable},
                 {"claims 100000 x 100000", huge, PictureProblem::TooLarge},
                 {"lossless 16384 x 16384 from 66 bytes", wide, PictureProblem::TooLarge},
                 {"width 0", zero, PictureProblem::Undecodable}});
}
#endif

}  // namespace
}  // namespace sorvane
