// Reading GIF and TIFF pictures: each stored variant reaches the requested
// size upright with its quarters in place, from a file and from memory, and
// damaged or hostile files are refused quickly with the right reason.

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
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
using testing::TempFolder;

// Quarter bits: top-left 1, top-right 2, bottom-left 4, bottom-right 8.
struct VariantCase {
  const char* Name;
  const unsigned char* Data;
  size_t Size;
  int BlackQuarters;  // quarters shown black (transparent, or outside the frame)
  bool Grey;          // the grey levels of gray.jpg instead of the colours
};

// What (X, Y) of a DestWidth x DestHeight scaling of the 64 x 48 quarters shows.
Bgr Expected(const VariantCase& C, int X, int Y, int DestWidth, int DestHeight) {
  const int sx = NearestSourceIndex(X, 64, DestWidth), sy = NearestSourceIndex(Y, 48, DestHeight);
  const int quarter = (sx >= 32 ? 1 : 0) + (sy >= 24 ? 2 : 0);
  if (C.BlackQuarters & (1 << quarter)) return testing::kBlack;
  if (C.Grey) return Bgr{quarter * 85, quarter * 85, quarter * 85};
  return testing::QuarterColour(sx, sy, 64, 48);
}

class GifTiffVariants : public ::testing::TestWithParam<VariantCase> {};

TEST_P(GifTiffVariants, ReachTheRequestedSizeUprightFromFileAndMemory) {
  const VariantCase c = GetParam();
  TempFolder t;
  t.Write("picture", Bytes(c.Data, c.Size));
  int w = 0, h = 0;
  ASSERT_EQ(CheckPicture(t.File("picture"), w, h), PictureProblem::NoProblem);
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, 48);
  const PictureDecoder* decoder = DecoderFor(SniffPictureKind(c.Data, c.Size));
  ASSERT_NE(decoder, nullptr);
  for (const auto& [dw, dh] : {std::pair{64, 48}, std::pair{23, 37}, std::pair{130, 97}}) {
    BgrImage fromFile, fromMemory;
    ASSERT_TRUE(LoadPictureScaled(t.File("picture"), dw, dh, fromFile));
    ASSERT_TRUE(decoder->LoadScaled(PictureInput::Memory(c.Data, c.Size), dw, dh, fromMemory));
    for (const BgrImage* image : {&fromFile, &fromMemory}) {
      ASSERT_EQ(image->Width, dw);
      ASSERT_EQ(image->Height, dh);
      int wrong = 0;
      for (int y = 0; y < dh; ++y)
        for (int x = 0; x < dw; ++x)
          if (!testing::Near(testing::PixelAt(*image, x, y), Expected(c, x, y, dw, dh), 2) && wrong++ < 3)
            ADD_FAILURE() << dw << "x" << dh << " pixel " << x << "," << y;
    }
  }
}

#define VARIANT(name, symbol, black, grey) VariantCase{name, symbol, symbol##Size, black, grey}

INSTANTIATE_TEST_SUITE_P(
    Stored, GifTiffVariants,
    ::testing::Values(VARIANT("GifPlain", kTestGifPlain, 0, false),
                      VARIANT("GifInterlaced", kTestGifInterlaced, 0, false),
                      VARIANT("GifLocalColourMap", kTestGifLocalMap, 0, false),
                      VARIANT("GifTransparentIsBlack", kTestGifTransparent, 8, false),
                      VARIANT("GifSmallFrameOnBlack", kTestGifSmallFrame, 1 | 4 | 8, false),
                      VARIANT("TiffRgb8LzwStrips", kTestTiffRgb8, 0, false),
                      VARIANT("TiffRgb16Deflate", kTestTiffRgb16, 0, false),
                      VARIANT("TiffGrey8", kTestTiffGrey8, 0, true),
                      VARIANT("TiffPalette2Bit", kTestTiffPalette2, 0, false),
                      VARIANT("TiffPalette8Bit", kTestTiffPalette8, 0, false),
                      VARIANT("TiffAlphaIsBlack", kTestTiffAlpha, 8, false),
                      VARIANT("TiffTiles", kTestTiffTiled, 0, false),
                      VARIANT("TiffOrientationTurnsClockwise", kTestTiffOriented, 0, false)),
    [](const ::testing::TestParamInfo<VariantCase>& info) { return std::string(info.param.Name); });

struct Hostile {
  const char* Name;
  std::string Bytes;
  PictureProblem Problem;  // what CheckPicture says; loading fails whatever it says
};

// Loads every file of Cases, expecting its problem, a failed load, and speed.
void ExpectRefused(const std::vector<Hostile>& Cases) {
  TempFolder t;
  for (const Hostile& c : Cases) {
    SCOPED_TRACE(c.Name);
    t.Write("bad", c.Bytes);
    const auto start = std::chrono::steady_clock::now();
    int w = 0, h = 0;
    const PictureProblem checked = CheckPicture(t.File("bad"), w, h);
#ifdef _WIN32
    // A WIC decoder that reads the whole frame as it opens (Wine's GIF) may
    // refuse a file cut in its pixels already in the check.
    const bool checkCounts = c.Problem != PictureProblem::NoProblem;
#else
    const bool checkCounts = true;
#endif
    if (checkCounts) {
      EXPECT_EQ(checked, c.Problem);
    }
    BgrImage image;
    EXPECT_FALSE(LoadPictureScaled(t.File("bad"), 512, 384, image));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  }
}

void Put16(std::string& S, size_t At, unsigned V) {
  S[At] = static_cast<char>(V & 0xFF);
  S[At + 1] = static_cast<char>(V >> 8);
}

std::string Noise(std::string Signature) {
  for (unsigned i = 0, r = 7; i < 300; ++i) Signature += static_cast<char>((r = r * 1103515245u + 12345u) >> 16);
  return Signature;
}

TEST(GifRefusals, DamagedAndHostileGifsAreRefusedQuickly) {
  const std::string good = Bytes(kTestGifPlain, kTestGifPlainSize);
  // The screen's size is at 6, the first frame's descriptor follows the
  // global colour map (4 entries) and the graphic control block.
  std::string hugeScreen = good;
  Put16(hugeScreen, 6, 65535);
  Put16(hugeScreen, 8, 65535);
  std::string bigFrame = good;  // 60000 x 30000 claimed by screen and frame, 241 bytes
  const size_t frame = good.find('\x2C', 13 + 12);
  ASSERT_NE(frame, std::string::npos);
  for (std::string* s : {&bigFrame}) {
    Put16(*s, 6, 60000), Put16(*s, 8, 30000);
    Put16(*s, frame + 5, 60000), Put16(*s, frame + 7, 30000);
  }
  std::string zero = good;
  Put16(zero, 6, 0);
  ExpectRefused({{"signature only", good.substr(0, 6), PictureProblem::Undecodable},
                 {"cut in the pixels", good.substr(0, good.size() / 2), PictureProblem::NoProblem},
                 {"noise after the signature", Noise("GIF89a"), PictureProblem::Undecodable},
                 {"screen 65535 x 65535", hugeScreen, PictureProblem::TooLarge},
                 {"frame 60000 x 30000 in 241 bytes", bigFrame, PictureProblem::Undecodable},
                 {"screen width 0", zero, PictureProblem::Undecodable}});
}

// The offset of the value of Tag in the first IFD of a little-endian TIFF.
size_t TiffTagValue(const std::string& Tiff, unsigned Tag) {
  uint32_t ifd = 0;
  std::memcpy(&ifd, Tiff.data() + 4, 4);
  uint16_t count = 0;
  std::memcpy(&count, Tiff.data() + ifd, 2);
  for (size_t e = ifd + 2; e < ifd + 2 + 12u * count; e += 12) {
    uint16_t tag = 0;
    std::memcpy(&tag, Tiff.data() + e, 2);
    if (tag == Tag) return e + 8;
  }
  return 0;
}

// Tag set to one LONG of Value.
std::string WithTiffLong(std::string Tiff, unsigned Tag, uint32_t Value) {
  const size_t at = TiffTagValue(Tiff, Tag);
  if (at == 0) return Tiff;
  Put16(Tiff, at - 6, 4);
  std::memcpy(&Tiff[at], &Value, 4);
  return Tiff;
}

TEST(TiffRefusals, DamagedAndHostileTiffsAreRefusedQuickly) {
  const std::string lzw = Bytes(kTestTiffRgb8, kTestTiffRgb8Size);
  const std::string plain = Bytes(kTestTiffPalette8, kTestTiffPalette8Size);  // IFD first, then the pixels
  ASSERT_NE(TiffTagValue(lzw, 256), 0u);
  ASSERT_NE(TiffTagValue(plain, 256), 0u);
  ExpectRefused(
      {{"header only", plain.substr(0, 8), PictureProblem::Undecodable},
       {"cut in the pixels", plain.substr(0, plain.size() / 3), PictureProblem::Undecodable},
       {"compressed strips cut", lzw.substr(0, lzw.size() * 2 / 3), PictureProblem::Undecodable},
       {"noise after the signature", Noise(std::string("II*\0", 4)), PictureProblem::Undecodable},
       {"claims 100000 x 100000", WithTiffLong(WithTiffLong(lzw, 256, 100000), 257, 100000),
        PictureProblem::TooLarge},
       {"uncompressed 60000 x 30000 in a small file", WithTiffLong(WithTiffLong(plain, 256, 60000), 257, 30000),
        PictureProblem::Undecodable},
       {"width 0", WithTiffLong(lzw, 256, 0), PictureProblem::Undecodable}});
}

}  // namespace
}  // namespace sorvane
