// Reading photographs: every BMP layout the reader accepts, the JPEG kinds
// (baseline, progressive, grayscale, CMYK), and damaged or hostile files,
// which must all end in a plain "unreadable" without crash, hang or large
// allocation.

#include "picture_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "../support/temp_folder.h"
#include "photo_test_pictures.h"
#include "byte_source.h"
#include "jpeg_header.h"
#include "picture_sampling.h"

namespace sorvane {
namespace {

using testing::Bgr;
using testing::BmpShape;
using testing::ExpectQuarters;
using testing::Bytes;
using testing::MakeQuarterBmp;
using testing::Near;
using testing::PixelAt;
using testing::QuarterColour;
using testing::TempFolder;

TEST(NearestSampling, PicksTheSourcePixelUnderEachDestinationCentre) {
  // floor((i + 0.5) * source / dest)
  EXPECT_EQ(NearestSourceIndex(0, 640, 512), 0);
  EXPECT_EQ(NearestSourceIndex(1, 640, 512), 1);
  EXPECT_EQ(NearestSourceIndex(2, 640, 512), 3);
  EXPECT_EQ(NearestSourceIndex(511, 640, 512), 639);
  EXPECT_EQ(NearestSourceIndex(0, 6000, 512), 5);
  EXPECT_EQ(NearestSourceIndex(511, 6000, 512), 5994);
  EXPECT_EQ(NearestSourceIndex(255, 1, 512), 0);      // enlargement repeats
  EXPECT_EQ(NearestSourceIndex(3, 2, 4), 1);
  EXPECT_EQ(NearestSourceIndex(0, 65535, 1), 32767);  // no overflow
}

TEST(NearestSampling, RowSamplerAsksForIncreasingRowsAndRepeatsOnEnlargement) {
  BgrImage out;
  NearestRowSampler sampler(2, 3, 4, 6, out);
  std::vector<int> asked;
  for (int row; (row = sampler.NextSourceRow()) >= 0;) {
    asked.push_back(row);
    const uint8_t pixels[6] = {uint8_t(row), 0, 0, uint8_t(10 + row), 0, 0};
    sampler.TakeRow(pixels);
  }
  EXPECT_EQ(asked, (std::vector<int>{0, 1, 2}));
  ASSERT_EQ(out.Width, 4);
  ASSERT_EQ(out.Height, 6);
  for (int y = 0; y < 6; ++y) {
    EXPECT_EQ(PixelAt(out, 0, y).B, y / 2);
    EXPECT_EQ(PixelAt(out, 1, y).B, y / 2);
    EXPECT_EQ(PixelAt(out, 3, y).B, 10 + y / 2);
  }
}

struct BmpCase {
  const char* Name;
  BmpShape Shape;
};

class BmpLayouts : public ::testing::TestWithParam<BmpCase> {};

TEST_P(BmpLayouts, DecodeToTheirQuartersAtFullAndReducedSize) {
  const BmpShape shape = GetParam().Shape;
  TempFolder t;
  t.Write("p.bmp", MakeQuarterBmp(shape));
  int w = 0, h = 0;
  ASSERT_TRUE(ReadPictureSize(t.File("p.bmp"), w, h));
  EXPECT_EQ(w, shape.Width);
  EXPECT_EQ(h, shape.Height);
  BgrImage full;
  ASSERT_TRUE(LoadPictureScaled(t.File("p.bmp"), w, h, full));
  ExpectQuarters(full, w, h, shape.Bits == 1);
  BgrImage small;
  ASSERT_TRUE(LoadPictureScaled(t.File("p.bmp"), 16, 12, small));
  ExpectQuarters(small, w, h, shape.Bits == 1);
}

BmpShape Shape(int Bits, bool TopDown = false, uint32_t Compression = 0, std::array<uint32_t, 3> Masks = {},
             uint32_t InfoSize = 40, uint32_t ColoursUsed = 0, int Width = 64) {
  BmpShape s;
  s.Bits = Bits;
  s.TopDown = TopDown;
  s.Compression = Compression;
  s.Masks = Masks;
  s.InfoSize = InfoSize;
  s.ColoursUsed = ColoursUsed;
  s.Width = Width;
  return s;
}

INSTANTIATE_TEST_SUITE_P(
    AllDepths, BmpLayouts,
    ::testing::Values(BmpCase{"Bits1", Shape(1)}, BmpCase{"Bits1Odd", Shape(1, false, 0, {}, 40, 0, 37)},
                      BmpCase{"Bits4", Shape(4)}, BmpCase{"Bits4Odd", Shape(4, true, 0, {}, 40, 0, 13)},
                      BmpCase{"Bits8ShortTable", Shape(8, false, 0, {}, 40, 4)},
                      BmpCase{"Bits8TopDown", Shape(8, true)}, BmpCase{"Bits16Rgb555", Shape(16)},
                      BmpCase{"Bits16Fields565", Shape(16, false, 3, {0xF800, 0x07E0, 0x001F})},
                      BmpCase{"Bits16Odd", Shape(16, false, 0, {}, 40, 0, 15)},
                      BmpCase{"Bits24", Shape(24)}, BmpCase{"Bits24TopDownOdd", Shape(24, true, 0, {}, 40, 0, 33)},
                      BmpCase{"Bits32", Shape(32)},
                      BmpCase{"Bits32FieldsSwapped", Shape(32, false, 3, {0xFF, 0xFF00, 0xFF0000})},
                      BmpCase{"Bits32FieldsV5Header", Shape(32, true, 3, {0xFF000000, 0xFF0000, 0xFF00}, 124)},
                      BmpCase{"Bits16FieldsV5Header", Shape(16, false, 3, {0xF800, 0x07E0, 0x001F}, 124)}),
    [](const ::testing::TestParamInfo<BmpCase>& info) { return std::string(info.param.Name); });

// Patches a little-endian 32-bit field of a byte string.
void Patch32(std::string& S, size_t Offset, uint32_t V) {
  for (int i = 0; i < 4; ++i) S[Offset + i] = static_cast<char>((V >> (8 * i)) & 0xFF);
}

TEST(BmpRefusals, UnsupportedOrDamagedFilesAreUnreadable) {
  TempFolder t;
  const std::string good = MakeQuarterBmp(Shape(24));
  struct Bad {
    const char* Name;
    std::string Bytes;
  };
  std::vector<Bad> bad;
  bad.push_back({"empty", ""});
  bad.push_back({"text", "This is not a picture at all, just words.\n"});
  bad.push_back({"signature only", "BM"});
  bad.push_back({"truncated pixels", good.substr(0, good.size() - 200)});
  bad.push_back({"truncated header", good.substr(0, 30)});
  std::string rle = MakeQuarterBmp(Shape(8));
  Patch32(rle, 30, 1);  // BI_RLE8
  bad.push_back({"rle8", rle});
  std::string jpegInBmp = good;
  Patch32(jpegInBmp, 30, 4);  // BI_JPEG
  bad.push_back({"jpeg in bmp", jpegInBmp});
  std::string os2 = good;
  Patch32(os2, 14, 12);  // BITMAPCOREHEADER
  bad.push_back({"os2 header", os2});
  std::string fields24 = good;
  Patch32(fields24, 30, 3);  // bit fields are for 16 and 32 bits only
  bad.push_back({"bitfields at 24 bits", fields24});
  std::string depth = good;
  depth[28] = 7;
  bad.push_back({"depth 7", depth});
  std::string huge = good;
  Patch32(huge, 18, 100000);
  Patch32(huge, 22, 100000);
  bad.push_back({"claims 100000 x 100000", huge});
  std::string wide = good;
  Patch32(wide, 18, 60000);
  Patch32(wide, 22, 60000);  // within the side limit, beyond the pixel limit
  bad.push_back({"claims 60000 x 60000", wide});
  std::string longer = good;
  Patch32(longer, 22, 30000);  // within every limit, but the rows are not there
  bad.push_back({"claims more rows than it holds", longer});
  std::string zero = good;
  Patch32(zero, 18, 0);
  bad.push_back({"width 0", zero});
  std::string negative = good;
  Patch32(negative, 18, static_cast<uint32_t>(-64));
  bad.push_back({"negative width", negative});
  std::string minHeight = good;
  Patch32(minHeight, 22, 0x80000000u);
  bad.push_back({"height INT_MIN", minHeight});
  std::string offset = good;
  Patch32(offset, 10, 0xFFFFFFF0u);
  bad.push_back({"pixel offset past the end", offset});

  for (const Bad& b : bad) {
    SCOPED_TRACE(b.Name);
    t.Write("bad.bmp", b.Bytes);
    int w = -1, h = -1;
    BgrImage image;
    const auto start = std::chrono::steady_clock::now();
    const bool sized = ReadPictureSize(t.File("bad.bmp"), w, h);
    const bool loaded = LoadPictureScaled(t.File("bad.bmp"), 512, 384, image);
    EXPECT_FALSE(sized && loaded);
    EXPECT_FALSE(loaded);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  }
}

TEST(PictureFiles, MissingFilesFoldersAndBadSizesAreRefused) {
  TempFolder t;
  t.Write("p.bmp", MakeQuarterBmp(Shape(24)));
  int w = 0, h = 0;
  BgrImage image;
  EXPECT_FALSE(ReadPictureSize(t.File("missing.jpg"), w, h));
  EXPECT_FALSE(ReadPictureSize(t.Path(), w, h));
  EXPECT_FALSE(ReadPictureSize("", w, h));
  EXPECT_FALSE(LoadPictureScaled(t.Path(), 10, 10, image));
  EXPECT_FALSE(LoadPictureScaled(t.File("p.bmp"), 0, 10, image));
  EXPECT_FALSE(LoadPictureScaled(t.File("p.bmp"), 10, -1, image));
  EXPECT_FALSE(LoadPictureScaled(t.File("p.bmp"), 60000, 60000, image));
}

TEST(PictureFiles, KindComesFromTheContentsNotTheName) {
  TempFolder t;
  t.Write("really-a-bmp.jpg", MakeQuarterBmp(Shape(24)));
  t.Write("really-a-jpeg.bmp", Bytes(kTestBaselineJpeg, kTestBaselineJpegSize));
  BgrImage a, b;
  ASSERT_TRUE(LoadPictureScaled(t.File("really-a-bmp.jpg"), 64, 48, a));
  ASSERT_TRUE(LoadPictureScaled(t.File("really-a-jpeg.bmp"), 64, 48, b));
  ExpectQuarters(a, 64, 48);
}

TEST(PictureFiles, ExtremeButValidSizes) {
  TempFolder t;
  BmpShape one = Shape(24, false, 0, {}, 40, 0, 1);
  one.Height = 1;
  t.Write("one.bmp", MakeQuarterBmp(one));
  BgrImage image;
  ASSERT_TRUE(LoadPictureScaled(t.File("one.bmp"), 512, 512, image));
  ExpectQuarters(image, 1, 1);  // one pixel, in the top-right quarter

  BmpShape tall = Shape(24, false, 0, {}, 40, 0, 1);
  tall.Height = 60000;
  t.Write("tall.bmp", MakeQuarterBmp(tall));
  int w = 0, h = 0;
  ASSERT_TRUE(ReadPictureSize(t.File("tall.bmp"), w, h));
  EXPECT_EQ(h, 60000);
  ASSERT_TRUE(LoadPictureScaled(t.File("tall.bmp"), 1, 512, image));
  ExpectQuarters(image, 1, 60000);
  EXPECT_TRUE(Near(PixelAt(image, 0, 0), testing::kGreen, 0));
  EXPECT_TRUE(Near(PixelAt(image, 0, 511), testing::kWhite, 0));
}

struct JpegCase {
  const char* Name;
  const unsigned char* Data;
  size_t Size;
  bool Gray;
};

class JpegKinds : public ::testing::TestWithParam<JpegCase> {};

TEST_P(JpegKinds, DecodeInTrueColourFromFileAndMemory) {
  const JpegCase c = GetParam();
  TempFolder t;
  t.Write("p.jpg", Bytes(c.Data, c.Size));
  int w = 0, h = 0;
  ASSERT_TRUE(ReadPictureSize(t.File("p.jpg"), w, h));
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, 48);
  BgrImage fromFile, fromMemory;
  ASSERT_TRUE(LoadPictureScaled(t.File("p.jpg"), 32, 24, fromFile));
  ASSERT_TRUE(DecodeJpegMemory(c.Data, c.Size, fromMemory));
  ASSERT_EQ(fromMemory.Width, 64);
  ASSERT_EQ(fromMemory.Height, 48);
  // Away from the quarter edges, where compression smears colours.
  const int xs[2] = {8, 56}, ys[2] = {6, 42};
  for (int qy = 0; qy < 2; ++qy)
    for (int qx = 0; qx < 2; ++qx) {
      Bgr want = QuarterColour(xs[qx], ys[qy], 64, 48);
      if (c.Gray) {
        const int level = (qy * 2 + qx) * 85;
        want = Bgr{level, level, level};
      }
      SCOPED_TRACE(std::to_string(qx) + "," + std::to_string(qy));
      EXPECT_TRUE(Near(PixelAt(fromMemory, xs[qx], ys[qy]), want, 24));
      EXPECT_TRUE(Near(PixelAt(fromFile, xs[qx] / 2, ys[qy] / 2), want, 24));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, JpegKinds,
    ::testing::Values(JpegCase{"Baseline", kTestBaselineJpeg, kTestBaselineJpegSize, false},
                      JpegCase{"Progressive", kTestProgressiveJpeg, kTestProgressiveJpegSize, false},
                      JpegCase{"Grayscale", kTestGrayJpeg, kTestGrayJpegSize, true}),
    [](const ::testing::TestParamInfo<JpegCase>& info) { return std::string(info.param.Name); });

TEST(JpegCmyk, DecodesInTrueColourOrIsRefused) {
  BgrImage image;
  const bool decoded = DecodeJpegMemory(kTestCmykJpeg, kTestCmykJpegSize, image);
#if defined(_WIN32)
  if (!decoded) GTEST_SKIP() << "this WIC refuses CMYK JPEGs, which is allowed";
#endif
  ASSERT_TRUE(decoded);
  EXPECT_TRUE(Near(PixelAt(image, 8, 6), testing::kRed, 40));
  EXPECT_TRUE(Near(PixelAt(image, 56, 6), testing::kGreen, 40));
  EXPECT_TRUE(Near(PixelAt(image, 8, 42), testing::kBlue, 40));
  EXPECT_TRUE(Near(PixelAt(image, 56, 42), testing::kWhite, 40));
}

// Offset of the first SOF0/SOF2 marker's height field.
size_t FrameSizeOffset(const std::string& Jpeg) {
  for (size_t i = 2; i + 8 < Jpeg.size(); ++i)
    if (static_cast<unsigned char>(Jpeg[i]) == 0xFF &&
        (static_cast<unsigned char>(Jpeg[i + 1]) == 0xC0 || static_cast<unsigned char>(Jpeg[i + 1]) == 0xC2))
      return i + 5;
  return 0;
}

TEST(JpegRefusals, DamagedAndHostileJpegsEndUnreadableQuickly) {
  TempFolder t;
  const std::string good = Bytes(kTestBaselineJpeg, kTestBaselineJpegSize);
  const std::string progressive = Bytes(kTestProgressiveJpeg, kTestProgressiveJpegSize);
  struct Bad {
    const char* Name;
    std::string Bytes;
  };
  std::vector<Bad> bad;
  bad.push_back({"magic only", good.substr(0, 3)});
  bad.push_back({"header only", good.substr(0, good.size() / 2)});
  bad.push_back({"no end", good.substr(0, good.size() - 40)});
  bad.push_back({"progressive cut", progressive.substr(0, progressive.size() - 60)});
  for (const std::string* src : {&good, &progressive}) {
    const size_t at = FrameSizeOffset(*src);
    ASSERT_NE(at, 0u);
    std::string huge = *src;  // 65535 x 65535: beyond the pixel limit
    huge[at] = huge[at + 1] = huge[at + 2] = huge[at + 3] = static_cast<char>(0xFF);
    bad.push_back({"claims 65535 x 65535", huge});
    std::string big = *src;  // 60000 x 30000 claimed, a few hundred bytes of data
    big[at] = static_cast<char>(30000 >> 8);
    big[at + 1] = static_cast<char>(30000 & 0xFF);
    big[at + 2] = static_cast<char>(60000 >> 8);
    big[at + 3] = static_cast<char>(60000 & 0xFF);
    bad.push_back({"claims 60000 x 30000", big});
    std::string zero = *src;
    zero[at] = zero[at + 1] = 0;
    bad.push_back({"height 0", zero});
  }

  for (const Bad& b : bad) {
    SCOPED_TRACE(b.Name);
    t.Write("bad.jpg", b.Bytes);
    BgrImage image;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(LoadPictureScaled(t.File("bad.jpg"), 512, 384, image));
    EXPECT_FALSE(DecodeJpegMemory(reinterpret_cast<const unsigned char*>(b.Bytes.data()), b.Bytes.size(), image));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  }
}

TEST(JpegRefusals, CorruptScanDataNeverCrashes) {
  TempFolder t;
  std::string bytes = Bytes(kTestBaselineJpeg, kTestBaselineJpegSize);
  for (size_t i = bytes.size() / 2; i < bytes.size() - 10; i += 7) bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
  t.Write("corrupt.jpg", bytes);
  BgrImage image;
  if (LoadPictureScaled(t.File("corrupt.jpg"), 64, 48, image)) {
    EXPECT_EQ(image.Width, 64);
    EXPECT_EQ(image.Pixels.size(), 64u * 48 * 3);
  }
  EXPECT_FALSE(DecodeJpegMemory(nullptr, 0, image));
}

}  // namespace
}  // namespace sorvane

namespace sorvane {
namespace {

TEST(JpegFrameHeader, ReadsTheSizeAndRefusesClaimsTheFileCannotHold) {
  for (const auto& [data, size] : {std::pair{kTestBaselineJpeg, kTestBaselineJpegSize},
                                   std::pair{kTestProgressiveJpeg, kTestProgressiveJpegSize},
                                   std::pair{kTestGrayJpeg, kTestGrayJpegSize},
                                   std::pair{kTestCmykJpeg, kTestCmykJpegSize}}) {
    MemoryByteSource source(data, size);
    int w = 0, h = 0;
    ASSERT_TRUE(ReadJpegFrameSize(source, w, h));
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 48);
    EXPECT_TRUE(JpegSizeFitsFile(w, h, size));
  }
  EXPECT_TRUE(JpegSizeFitsFile(6000, 4000, 12000));
  EXPECT_FALSE(JpegSizeFitsFile(60000, 30000, 400));
  const std::string notJpeg = "BM not a jpeg";
  MemoryByteSource bad(reinterpret_cast<const unsigned char*>(notJpeg.data()), notJpeg.size());
  int w = 0, h = 0;
  EXPECT_FALSE(ReadJpegFrameSize(bad, w, h));
  const std::string good = testing::Bytes(kTestBaselineJpeg, kTestBaselineJpegSize);
  const std::string cut = good.substr(0, 20);
  MemoryByteSource cutSource(reinterpret_cast<const unsigned char*>(cut.data()), cut.size());
  EXPECT_FALSE(ReadJpegFrameSize(cutSource, w, h));
}

}  // namespace
}  // namespace sorvane
