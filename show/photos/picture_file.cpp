// Reading photographs (see picture_file.h): tells the format by the first
// bytes, never by the file name, and hands the file to our BMP reader or to
// the platform's decoder of that format (picture_decoders.h).

#include "picture_file.h"

#include <filesystem>
#include <system_error>

#include "bmp_reader.h"
#include "byte_source.h"
#include "picture_decoders.h"
#include "picture_sampling.h"

namespace sorvane {
namespace {

// The kind of picture the first bytes announce.
PictureKind KindOf(ByteSource& Source) {
  uint8_t head[kSniffBytes];
  const std::size_t length = Source.Size() < kSniffBytes ? static_cast<std::size_t>(Source.Size()) : kSniffBytes;
  if (length == 0 || !Source.ReadAt(0, head, length)) return PictureKind::Unknown;
  return SniffPictureKind(head, length);
}

// The kind of the file at Path; Unknown for folders and missing files.
PictureKind KindOfFile(const std::string& Path) {
  FileByteSource source(Path);
  return source.IsOpen() ? KindOf(source) : PictureKind::Unknown;
}

// Why a file that would not open as a plain file cannot be used; looked up
// without opening it, so a pipe is not waited on.
PictureProblem ProblemOpening(const std::string& Path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(Path, error);
  if (status.type() == std::filesystem::file_type::not_found || Path.empty()) return PictureProblem::Missing;
  if (error) return PictureProblem::Unreadable;
  if (status.type() != std::filesystem::file_type::regular) return PictureProblem::NotAFile;
  return PictureProblem::Unreadable;
}

// A BMP the reader refused: too large when its header claims a size beyond
// the limits, else damaged or of a kind that is not read.
PictureProblem BmpProblem(ByteSource& Source) {
  unsigned char h[8];
  if (!Source.ReadAt(18, h, sizeof h)) return PictureProblem::Undecodable;
  const auto i32 = [&](int at) {
    return static_cast<int32_t>(static_cast<uint32_t>(h[at]) | static_cast<uint32_t>(h[at + 1]) << 8 |
                                static_cast<uint32_t>(h[at + 2]) << 16 | static_cast<uint32_t>(h[at + 3]) << 24);
  };
  const int64_t width = i32(0), height = i32(4);
  const int64_t rows = height < 0 ? -height : height;
  return width > 0 && rows > 0 && !PictureSizeAllowed(width, rows) ? PictureProblem::TooLarge
                                                                    : PictureProblem::Undecodable;
}

}  // namespace

const char* PictureProblemText(PictureProblem Problem) {
  switch (Problem) {
    case PictureProblem::NoProblem: return "no problem";
    case PictureProblem::Missing: return "there is no such file";
    case PictureProblem::NotAFile: return "it is not a plain file (a folder, a pipe or a device)";
    case PictureProblem::Unreadable: return "the file cannot be opened for reading";
    case PictureProblem::NotAPicture: return "it is not a BMP, JPEG, PNG, GIF, TIFF, WebP, HEIF or AVIF picture";
    case PictureProblem::Undecodable: return "the picture is damaged or of a kind that cannot be read";
    case PictureProblem::TooLarge: return "the picture is too large to decode";
    case PictureProblem::TooThin: return "the picture is too thin to show";
    case PictureProblem::FolderUnreadable: return "the folder cannot be read";
    case PictureProblem::FolderEmpty: return "the folder holds no photographs";
    case PictureProblem::NoneReadable: return "no photograph in the folder could be read";
  }
  return "unknown problem";
}

// Header only, by kind.
PictureProblem CheckPicture(const std::string& Path, int& Width, int& Height) {
  FileByteSource source(Path);
  if (!source.IsOpen()) return ProblemOpening(Path);
  switch (KindOf(source)) {
    case PictureKind::Bmp:
      return ReadBmpSize(source, Width, Height) ? PictureProblem::NoProblem : BmpProblem(source);
    default: {
      const PictureDecoder* decoder = DecoderFor(KindOf(source));
      return decoder ? decoder->Check(PictureInput::File(Path), Width, Height) : PictureProblem::NotAPicture;
    }
  }
}

bool ReadPictureSize(const std::string& Path, int& Width, int& Height) {
  return CheckPicture(Path, Width, Height) == PictureProblem::NoProblem;
}

// Scaled decode, by kind.
bool LoadPictureScaled(const std::string& Path, int DstWidth, int DstHeight, BgrImage& Out) {
  if (!ScaledSizeAllowed(DstWidth, DstHeight)) return false;
  const PictureKind kind = KindOfFile(Path);
  if (kind == PictureKind::Bmp) {
    FileByteSource source(Path);
    return LoadBmpScaled(source, DstWidth, DstHeight, Out);
  }
  const PictureDecoder* decoder = DecoderFor(kind);
  return decoder && decoder->LoadScaled(PictureInput::File(Path), DstWidth, DstHeight, Out);
}

}  // namespace sorvane
