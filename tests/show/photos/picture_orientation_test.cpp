// Upright photographs: the EXIF orientation (all eight values, and damaged
// tags, which mean "as stored") applied by the row sampler, read by the
// platform's JPEG decoder (libexif natively, WIC under Wine), and carried
// through to the photo square. The test JPEG is the 64 x 48 quarter picture
// (red, green / blue, white) with an EXIF block put in by the test.

#include "picture_orientation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../support/exif_jpeg.h"
#include "../support/temp_folder.h"
#include "byte_source.h"
#include "jpeg_header.h"
#include "photo_square.h"
#include "photo_test_pictures.h"
#include "picture_file.h"
#include "picture_sampling.h"

namespace sorvane {
namespace {

using testing::Bgr;
using testing::Bytes;
using testing::Near;
using testing::OrientationBlock;
using testing::PixelAt;
using testing::TempFolder;
using testing::TiffBlock;
using testing::TiffEntry;
using testing::UprightQuarters;
using testing::WithExif;

const Bgr kQuarterColours[4] = {testing::kRed, testing::kGreen, testing::kBlue, testing::kWhite};

// Runs the sampler over a Width x Height source whose pixel (x, y) holds the
// letter Letters[y * Width + x] in its blue byte; returns the upright result
// as rows of letters, and the source rows it asked for.
std::vector<std::string> Sample(const std::string& Letters, int Width, int Height, int DestWidth, int DestHeight,
                                PictureOrientation Orientation, std::vector<int>* Asked = nullptr) {
  BgrImage out;
  NearestRowSampler sampler(Width, Height, DestWidth, DestHeight, out, Orientation);
  for (int row; (row = sampler.NextSourceRow()) >= 0;) {
    if (Asked) Asked->push_back(row);
    std::vector<uint8_t> pixels(static_cast<size_t>(Width) * 3, 0);
    for (int x = 0; x < Width; ++x) pixels[static_cast<size_t>(x) * 3] = static_cast<uint8_t>(Letters[row * Width + x]);
    sampler.TakeRow(pixels.data());
  }
  std::vector<std::string> rows;
  for (int y = 0; y < out.Height; ++y) {
    std::string r;
    for (int x = 0; x < out.Width; ++x) r += static_cast<char>(PixelAt(out, x, y).B);
    rows.push_back(r);
  }
  return rows;
}

TEST(OrientedSampling, EachOrientationTurnsOrMirrorsThePicture) {
  // Stored:  abc
  //          def
  using Rows = std::vector<std::string>;
  const Rows expected[9] = {{},
                            {"abc", "def"},
                            {"cba", "fed"},
                            {"fed", "cba"},
                            {"def", "abc"},
                            {"ad", "be", "cf"},
                            {"da", "eb", "fc"},
                            {"fc", "eb", "da"},
                            {"cf", "be", "ad"}};
  for (int o = 1; o <= 8; ++o) {
    const PictureOrientation orientation = OrientationFromTag(o);
    const bool swap = SwapsSides(orientation);
    std::vector<int> asked;
    EXPECT_EQ(Sample("abcdef", 3, 2, swap ? 2 : 3, swap ? 3 : 2, orientation, &asked), expected[o]) << o;
    EXPECT_EQ(asked, (std::vector<int>{0, 1})) << o;
  }
}

TEST(OrientedSampling, EnlargingAndShrinkingAQuarterTurn) {
  // A quarter turn clockwise doubled: every letter becomes a 2 x 2 block.
  EXPECT_EQ(Sample("abcdef", 3, 2, 4, 6, PictureOrientation::TurnClockwise),
            (std::vector<std::string>{"ddaa", "ddaa", "eebb", "eebb", "ffcc", "ffcc"}));
  // A tall source turned anticlockwise and shrunk: only as many source rows
  // as the destination has columns are read, in increasing order.
  std::string letters;
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 4; ++x) letters += static_cast<char>('A' + (y / 30) % 26);
  std::vector<int> asked;
  const auto rows = Sample(letters, 4, 300, 10, 2, PictureOrientation::TurnAnticlockwise, &asked);
  ASSERT_EQ(asked.size(), 10u);
  for (size_t i = 1; i < asked.size(); ++i) EXPECT_LT(asked[i - 1], asked[i]);
  EXPECT_EQ(rows, (std::vector<std::string>{"ABCDEFGHIJ", "ABCDEFGHIJ"}));
}

// EXIF blocks that must all read as "as stored", each with the orientation 6
// it would otherwise carry.
std::vector<std::pair<std::string, std::string>> DamagedBlocks() {
  const std::string good = OrientationBlock(6);
  std::vector<std::pair<std::string, std::string>> bad;
  bad.push_back({"value 0", OrientationBlock(0)});
  bad.push_back({"value 9", OrientationBlock(9)});
  bad.push_back({"big-endian value 9", OrientationBlock(9, true)});
  bad.push_back({"LONG instead of SHORT", TiffBlock({TiffEntry{274, 4, 1, 6}})});
  bad.push_back({"two SHORTs", TiffBlock({TiffEntry{274, 3, 2, 6}})});
  bad.push_back({"IFD cut inside the entry", good.substr(0, 8 + 2 + 7)});
  bad.push_back({"IFD cut before its count", good.substr(0, 9)});
  bad.push_back({"header only", good.substr(0, 6)});
  bad.push_back({"empty block", ""});
  std::string order = good;
  order[0] = order[1] = 'X';
  bad.push_back({"unknown byte order", order});
  std::string far = good;
  far[4] = static_cast<char>(0xF0);  // the IFD offset points past the block
  bad.push_back({"IFD past the end", far});
  bad.push_back({"another tag with the value", TiffBlock({TiffEntry{275, 3, 1, 6}})});
  bad.push_back({"no orientation tag", TiffBlock({TiffEntry{271, 2, 4, 0x41424300}})});
  return bad;
}

TEST(ExifBlock, FoundInTheFileAndReadLikeLibexifDoes) {
  const std::string plain = Bytes(kTestBaselineJpeg, kTestBaselineJpegSize);
  std::vector<uint8_t> tiff;
  MemoryByteSource none(reinterpret_cast<const unsigned char*>(plain.data()), plain.size());
  EXPECT_FALSE(ReadJpegExifBlock(none, tiff));
  // The baseline picture starts with a JFIF segment: put the EXIF one after it.
  const std::string block = OrientationBlock(6, true);
  std::string withExif = WithExif(plain, block);
  MemoryByteSource source(reinterpret_cast<const unsigned char*>(withExif.data()), withExif.size());
  ASSERT_TRUE(ReadJpegExifBlock(source, tiff));
  EXPECT_EQ(std::string(tiff.begin(), tiff.end()), block);
  EXPECT_EQ(ExifOrientation(tiff), PictureOrientation::TurnClockwise);
  // An APP1 segment of another kind (XMP) is passed over.
  const std::string xmp = WithExif(plain, "");
  std::string other = xmp;
  other.replace(6, 4, "http");
  MemoryByteSource otherSource(reinterpret_cast<const unsigned char*>(other.data()), other.size());
  EXPECT_FALSE(ReadJpegExifBlock(otherSource, tiff));

  for (int o = 1; o <= 8; ++o) {
    const std::string b = OrientationBlock(static_cast<unsigned>(o), o % 2 == 0);
    EXPECT_EQ(ExifOrientation(std::vector<uint8_t>(b.begin(), b.end())), OrientationFromTag(o)) << o;
  }
  const std::string second = TiffBlock({TiffEntry{271, 2, 4, 0}, TiffEntry{274, 3, 1, 8}});
  EXPECT_EQ(ExifOrientation(std::vector<uint8_t>(second.begin(), second.end())),
            PictureOrientation::TurnAnticlockwise);
  // More entries claimed than the block holds: those that fit are read.
  std::string many = OrientationBlock(6);
  many[8] = many[9] = static_cast<char>(0xFF);
  EXPECT_EQ(ExifOrientation(std::vector<uint8_t>(many.begin(), many.end())), PictureOrientation::TurnClockwise);
  for (const auto& [name, b] : DamagedBlocks())
    EXPECT_EQ(ExifOrientation(std::vector<uint8_t>(b.begin(), b.end())), PictureOrientation::AsStored) << name;
}

// Checks the colour in the middle of each upright quarter of Image against
// the stored quarter the orientation puts there.
void ExpectUprightQuarters(const BgrImage& Image, int Orientation) {
  const int* q = UprightQuarters(Orientation);
  const int xs[2] = {Image.Width / 4, Image.Width * 3 / 4}, ys[2] = {Image.Height / 4, Image.Height * 3 / 4};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE("orientation " + std::to_string(Orientation) + ", upright quarter " + std::to_string(i));
    EXPECT_TRUE(Near(PixelAt(Image, xs[i % 2], ys[i / 2]), kQuarterColours[q[i]], 40));
  }
}

TEST(UprightJpegs, AllEightOrientationsFromFileAndMemory) {
  TempFolder t;
  const std::string plain = Bytes(kTestBaselineJpeg, kTestBaselineJpegSize);
  for (int o = 1; o <= 8; ++o) {
    for (bool bigEndian : {false, true}) {
      SCOPED_TRACE(std::to_string(o) + (bigEndian ? " big-endian" : " little-endian"));
      const std::string jpeg = WithExif(plain, OrientationBlock(static_cast<unsigned>(o), bigEndian));
      t.Write("p.jpg", jpeg);
      const bool swap = o >= 5;
      int w = 0, h = 0;
      ASSERT_TRUE(ReadPictureSize(t.File("p.jpg"), w, h));
      EXPECT_EQ(w, swap ? 48 : 64);
      EXPECT_EQ(h, swap ? 64 : 48);
      BgrImage full, small, large, memory;
      ASSERT_TRUE(LoadPictureScaled(t.File("p.jpg"), w, h, full));
      ExpectUprightQuarters(full, o);
      ASSERT_TRUE(LoadPictureScaled(t.File("p.jpg"), w / 4, h / 4, small));
      ExpectUprightQuarters(small, o);
      ASSERT_TRUE(LoadPictureScaled(t.File("p.jpg"), w * 3, h * 3, large));
      ExpectUprightQuarters(large, o);
      ASSERT_TRUE(DecodeJpegMemory(reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size(), memory));
      ASSERT_EQ(memory.Width, w);
      ASSERT_EQ(memory.Height, h);
      ExpectUprightQuarters(memory, o);
    }
  }
}

TEST(UprightJpegs, DamagedTagsMeanAsStored) {
  TempFolder t;
  const std::string plain = Bytes(kTestBaselineJpeg, kTestBaselineJpegSize);
  BgrImage reference;
  ASSERT_TRUE(DecodeJpegMemory(kTestBaselineJpeg, kTestBaselineJpegSize, reference));
  for (const auto& [name, block] : DamagedBlocks()) {
    SCOPED_TRACE(name);
    t.Write("p.jpg", WithExif(plain, block));
    int w = 0, h = 0;
    ASSERT_TRUE(ReadPictureSize(t.File("p.jpg"), w, h));
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 48);
    BgrImage image;
    ASSERT_TRUE(LoadPictureScaled(t.File("p.jpg"), 64, 48, image));
    EXPECT_EQ(image.Pixels, reference.Pixels);
  }
}

TEST(UprightJpegs, ThePhotoSquareFitsTheUprightPicture) {
  TempFolder t;
  const std::string plain = Bytes(kTestBaselineJpeg, kTestBaselineJpegSize);
  // Without a tag, and with tag 1, the square is exactly what it always was.
  t.Write("plain.jpg", plain);
  t.Write("one.jpg", WithExif(plain, OrientationBlock(1)));
  ShowRandom r1(1), r2(1);
  const BgrImage plainSquare = ComposePhotoSquare(t.File("plain.jpg"), r1);
  EXPECT_EQ(ComposePhotoSquare(t.File("one.jpg"), r2).Pixels, plainSquare.Pixels);
  EXPECT_TRUE(Near(PixelAt(plainSquare, 256, 63), testing::kBlack, 0));  // 512 x 384 at (0, 64)
  EXPECT_TRUE(Near(PixelAt(plainSquare, 256, 64 + 383 - 40), testing::kWhite, 40));

  for (int o = 5; o <= 8; ++o) {
    SCOPED_TRACE(o);
    t.Write("turned.jpg", WithExif(plain, OrientationBlock(static_cast<unsigned>(o))));
    ShowRandom random(1);
    const BgrImage s = ComposePhotoSquare(t.File("turned.jpg"), random);
    ASSERT_EQ(s.Width, 512);
    // Upright 48 x 64: 384 x 512 at (64, 0), black bars left and right.
    EXPECT_TRUE(Near(PixelAt(s, 63, 256), testing::kBlack, 0));
    EXPECT_TRUE(Near(PixelAt(s, 64 + 384, 256), testing::kBlack, 0));
    const int* q = UprightQuarters(o);
    const int xs[2] = {64 + 96, 64 + 288}, ys[2] = {128, 384};
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(Near(PixelAt(s, xs[i % 2], ys[i / 2]), kQuarterColours[q[i]], 40)) << i;
  }
}

}  // namespace
}  // namespace sorvane
