// Reading photographs (see picture_file.h): tells BMP from JPEG by the first
// bytes, never by the file name, and hands the file to our BMP reader or to
// the platform's JPEG decoder.

#include "picture_file.h"

#include "bmp_reader.h"
#include "byte_source.h"
#include "jpeg_decoder.h"
#include "picture_sampling.h"

namespace sorvane {
namespace {

enum class PictureKind { Unknown, Bmp, Jpeg };

// The kind of picture the first bytes announce.
PictureKind KindOf(ByteSource& Source) {
  unsigned char magic[3];
  if (!Source.ReadAt(0, magic, sizeof magic)) return PictureKind::Unknown;
  if (magic[0] == 'B' && magic[1] == 'M') return PictureKind::Bmp;
  if (magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF) return PictureKind::Jpeg;
  return PictureKind::Unknown;
}

// The kind of the file at Path; Unknown for folders and missing files.
PictureKind KindOfFile(const std::string& Path) {
  FileByteSource source(Path);
  return source.IsOpen() ? KindOf(source) : PictureKind::Unknown;
}

}  // namespace

// Header only, by kind.
bool ReadPictureSize(const std::string& Path, int& Width, int& Height) {
  switch (KindOfFile(Path)) {
    case PictureKind::Bmp: {
      FileByteSource source(Path);
      return ReadBmpSize(source, Width, Height);
    }
    case PictureKind::Jpeg:
      return ReadJpegSize(JpegInput::File(Path), Width, Height);
    default:
      return false;
  }
}

// Scaled decode, by kind.
bool LoadPictureScaled(const std::string& Path, int DstWidth, int DstHeight, BgrImage& Out) {
  if (!ScaledSizeAllowed(DstWidth, DstHeight)) return false;
  switch (KindOfFile(Path)) {
    case PictureKind::Bmp: {
      FileByteSource source(Path);
      return LoadBmpScaled(source, DstWidth, DstHeight, Out);
    }
    case PictureKind::Jpeg:
      return LoadJpegScaled(JpegInput::File(Path), DstWidth, DstHeight, Out);
    default:
      return false;
  }
}

// A whole in-memory JPEG at its own size.
bool DecodeJpegMemory(const unsigned char* Data, std::size_t Size, BgrImage& Out) {
  constexpr int kLargest = 4096;
  const JpegInput input = JpegInput::Memory(Data, Size);
  int width = 0, height = 0;
  if (!ReadJpegSize(input, width, height) || width > kLargest || height > kLargest) return false;
  return LoadJpegScaled(input, width, height, Out);
}

}  // namespace sorvane
