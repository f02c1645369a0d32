// PNG decoding with libpng (Linux side of png_decoder.h). libpng's errors
// leave through setjmp/longjmp and become results, its warnings are never
// printed, and a damaged ancillary chunk is only a warning. libpng is bounded
// by its own limits (picture side, ancillary chunk sizes and count) and
// unneeded ancillary chunks are skipped unread. A progressive picture is read
// row by row, keeping only the rows the scaled picture samples. An interlaced
// one is read pass by pass without libpng's interlace handling (which would
// need the whole frame): the pixels each pass brings to a sampled row are put
// in place in a copy of that row alone, and the rows are sampled once the last
// pass is in. Colour conversion (palette, grey, tRNS, alpha over black) is
// ours, done on sampled rows only. The orientation comes from an eXIf chunk
// before the image data.

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include <png.h>

#include "jpeg_header.h"
#include "paths.h"
#include "picture_sampling.h"
#include "png_decoder.h"

namespace sorvane {
namespace {

// Most memory the sampled rows of an interlaced picture may take: what the
// rows of a 50-megapixel picture take in blue-green-red.
constexpr uint64_t kMaxSampledRowBytes = 3ull * 52'500'000;

// Largest ancillary chunk libpng may hold, and how many it may keep.
constexpr png_alloc_size_t kMaxChunkBytes = 8u << 20;
constexpr png_uint_32 kMaxChunks = 256;

// Deflate expands at most 1032 to 1: a header whose pixels need more
// compressed bytes than the file has is damage.
constexpr uint64_t kMaxDeflateRatio = 1032;

// libpng's error handler: back to the setjmp of the current call.
void LeaveOnError(png_structp Png, png_const_charp) { png_longjmp(Png, 1); }
void IgnoreWarning(png_structp, png_const_charp) {}

// One reader with its input; destroyed with everything libpng allocated.
struct PngReader {
  png_structp Png = nullptr;
  png_infop Info = nullptr;
  std::FILE* File = nullptr;
  const unsigned char* Data = nullptr;
  uint64_t Size = 0;    // bytes of the file or of the memory
  uint64_t Offset = 0;  // next byte to read from memory
  int Width = 0, Height = 0;
  int ColourType = 0, BitDepth = 0;  // after our transformations
  bool Interlaced = false;
  png_size_t RowBytes = 0;
  PictureOrientation Orientation = PictureOrientation::AsStored;
  uint8_t Palette[256 * 3] = {};  // blue-green-red, over black with tRNS
  bool HasTransparentColour = false;
  png_color_16 TransparentColour{};

  ~PngReader() {
    if (Png) png_destroy_read_struct(&Png, Info ? &Info : nullptr, nullptr);
    if (File) std::fclose(File);
  }
};

// libpng's read callback: exactly the bytes asked for, or an error.
void ReadBytes(png_structp Png, png_bytep Into, png_size_t Count) {
  PngReader& r = *static_cast<PngReader*>(png_get_io_ptr(Png));
  if (r.File) {
    if (std::fread(Into, 1, Count, r.File) != Count) png_error(Png, "truncated");
    return;
  }
  if (Count > r.Size - r.Offset) png_error(Png, "truncated");
  std::memcpy(Into, r.Data + r.Offset, Count);
  r.Offset += Count;
}

uint32_t BigEndian32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 | p[3];
}

// The IHDR that must follow the signature, read before libpng sees the file,
// so that a size beyond our limits is told apart from damage.
PictureProblem CheckHeaderSize(PngReader& R) {
  uint8_t head[24];
  if (R.File) {
    if (std::fread(head, 1, sizeof head, R.File) != sizeof head) return PictureProblem::Undecodable;
    std::rewind(R.File);
  } else {
    if (R.Size < sizeof head) return PictureProblem::Undecodable;
    std::memcpy(head, R.Data, sizeof head);
  }
  if (std::memcmp(head + 12, "IHDR", 4) != 0) return PictureProblem::Undecodable;
  const uint32_t width = BigEndian32(head + 16), height = BigEndian32(head + 20);
  if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) return PictureProblem::Undecodable;
  return PictureSizeAllowed(width, height) ? PictureProblem::NoProblem : PictureProblem::TooLarge;
}

// Ancillary chunks we never use, skipped without being decompressed or kept.
const png_byte kSkippedChunks[] = "iCCP\0sPLT\0tEXt\0zTXt\0iTXt\0hIST\0pCAL\0sCAL\0tIME\0";

// Reads the header chunks and sets up the transformations. Only C data lives
// in this frame, so the jump back here skips no destructors.
PictureProblem ReadHeaderWithLibpng(PngReader& R) {
  R.Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, LeaveOnError, IgnoreWarning);
  if (!R.Png) return PictureProblem::Undecodable;
  R.Info = png_create_info_struct(R.Png);
  if (!R.Info) return PictureProblem::Undecodable;
  if (setjmp(png_jmpbuf(R.Png))) return PictureProblem::Undecodable;
  png_set_read_fn(R.Png, &R, ReadBytes);
  png_set_user_limits(R.Png, kMaxPictureSide, kMaxPictureSide);
  png_set_chunk_malloc_max(R.Png, kMaxChunkBytes);
  png_set_chunk_cache_max(R.Png, kMaxChunks);
  png_set_benign_errors(R.Png, 1);
  png_set_keep_unknown_chunks(R.Png, PNG_HANDLE_CHUNK_NEVER, kSkippedChunks,
                              static_cast<int>(sizeof kSkippedChunks / 5));
  png_read_info(R.Png, R.Info);

  png_uint_32 width = 0, height = 0;
  int depth = 0, colour = 0, interlace = 0;
  png_get_IHDR(R.Png, R.Info, &width, &height, &depth, &colour, &interlace, nullptr, nullptr);
  if (!PictureSizeAllowed(width, height)) return PictureProblem::TooLarge;
  R.Width = static_cast<int>(width);
  R.Height = static_cast<int>(height);
  R.Interlaced = interlace != PNG_INTERLACE_NONE;
  const uint64_t storedRow = (static_cast<uint64_t>(width) * png_get_channels(R.Png, R.Info) * depth + 7) / 8 + 1;
  if (storedRow * height > (R.Size + 1) * kMaxDeflateRatio) return PictureProblem::Undecodable;

  // A 16-bit transparent colour is only exact before rounding: it becomes alpha.
  const bool trns = png_get_valid(R.Png, R.Info, PNG_INFO_tRNS) != 0;
  if (depth == 16 && trns) png_set_tRNS_to_alpha(R.Png);
  png_set_scale_16(R.Png);
  png_read_update_info(R.Png, R.Info);
  R.ColourType = png_get_color_type(R.Png, R.Info);
  R.BitDepth = png_get_bit_depth(R.Png, R.Info);
  R.RowBytes = png_get_rowbytes(R.Png, R.Info);

  if (R.ColourType == PNG_COLOR_TYPE_PALETTE) {
    png_colorp palette = nullptr;
    int count = 0;
    if (!png_get_PLTE(R.Png, R.Info, &palette, &count)) return PictureProblem::Undecodable;
    png_bytep alpha = nullptr;
    int alphaCount = 0;
    if (trns) png_get_tRNS(R.Png, R.Info, &alpha, &alphaCount, nullptr);
    // Indices beyond the palette stay black.
    for (int i = 0; i < count && i < 256; ++i) {
      const unsigned a = alpha && i < alphaCount ? alpha[i] : 255;
      R.Palette[i * 3] = static_cast<uint8_t>((palette[i].blue * a + 127) / 255);
      R.Palette[i * 3 + 1] = static_cast<uint8_t>((palette[i].green * a + 127) / 255);
      R.Palette[i * 3 + 2] = static_cast<uint8_t>((palette[i].red * a + 127) / 255);
    }
  } else if (trns && depth <= 8) {
    png_color_16p colour16 = nullptr;
    png_get_tRNS(R.Png, R.Info, nullptr, nullptr, &colour16);
    if (colour16) {
      R.HasTransparentColour = true;
      R.TransparentColour = *colour16;
    }
  }

  png_bytep exif = nullptr;
  png_uint_32 exifSize = 0;
  if (png_get_eXIf_1(R.Png, R.Info, &exifSize, &exif) && exif && exifSize > 0) {
    std::vector<uint8_t> tiff(exif, exif + exifSize);
    R.Orientation = ExifOrientation(tiff);
  }
  return PictureProblem::NoProblem;
}

// Opens the input and reads the header.
PictureProblem ReadHeader(PngReader& R, const PictureInput& Input) {
  if (Input.Path) {
    R.File = OpenFile(*Input.Path, "rb");
    if (!R.File) return PictureProblem::Unreadable;
    if (std::fseek(R.File, 0, SEEK_END) != 0 || std::ftell(R.File) < 0) return PictureProblem::Unreadable;
    R.Size = static_cast<uint64_t>(std::ftell(R.File));
    std::rewind(R.File);
  } else {
    if (!Input.Data || Input.Size == 0) return PictureProblem::Undecodable;
    R.Data = Input.Data;
    R.Size = Input.Size;
  }
  const PictureProblem size = CheckHeaderSize(R);
  if (size != PictureProblem::NoProblem) return size;
  const PictureProblem problem = ReadHeaderWithLibpng(R);
  if (problem != PictureProblem::NoProblem) return problem;
  return PictureProblem::NoProblem;
}

// One row as libpng gives it (after rounding to 8 bits) to blue-green-red,
// transparent pixels over black.
// Width is the picture's, or an interlace pass's.
void RowToBgr(const PngReader& R, const uint8_t* In, uint8_t* Out, int Width) {
  const int width = Width;
  const auto over = [](unsigned v, unsigned a) { return static_cast<uint8_t>((v * a + 127) / 255); };
  switch (R.ColourType) {
    case PNG_COLOR_TYPE_PALETTE:
    case PNG_COLOR_TYPE_GRAY: {
      const int bits = R.BitDepth;
      const unsigned mask = (1u << bits) - 1;
      const unsigned scale = 255 / mask;
      const bool palette = R.ColourType == PNG_COLOR_TYPE_PALETTE;
      const unsigned transparent = R.HasTransparentColour ? R.TransparentColour.gray : 0x10000;
      for (int x = 0; x < width; ++x) {
        const size_t bit = static_cast<size_t>(x) * bits;
        const unsigned v = (In[bit / 8] >> (8 - bits - bit % 8)) & mask;
        uint8_t* q = Out + x * 3;
        if (palette) {
          std::memcpy(q, R.Palette + v * 3, 3);
        } else {
          const uint8_t level = v == transparent ? 0 : static_cast<uint8_t>(v * scale);
          q[0] = q[1] = q[2] = level;
        }
      }
      break;
    }
    case PNG_COLOR_TYPE_RGB: {
      const png_color_16& t = R.TransparentColour;
      for (int x = 0; x < width; ++x) {
        const uint8_t* p = In + x * 3;
        uint8_t* q = Out + x * 3;
        const bool clear = R.HasTransparentColour && p[0] == t.red && p[1] == t.green && p[2] == t.blue;
        q[0] = clear ? 0 : p[2];
        q[1] = clear ? 0 : p[1];
        q[2] = clear ? 0 : p[0];
      }
      break;
    }
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      for (int x = 0; x < width; ++x) {
        const uint8_t level = over(In[x * 2], In[x * 2 + 1]);
        Out[x * 3] = Out[x * 3 + 1] = Out[x * 3 + 2] = level;
      }
      break;
    default:  // RGBA
      for (int x = 0; x < width; ++x) {
        const uint8_t* p = In + x * 4;
        Out[x * 3] = over(p[2], p[3]);
        Out[x * 3 + 1] = over(p[1], p[3]);
        Out[x * 3 + 2] = over(p[0], p[3]);
      }
      break;
  }
}

// A progressive picture, row by row; the stored row buffer comes from the
// caller, so only C data lives in this frame.
bool ReadRows(PngReader& R, NearestRowSampler& Sampler, uint8_t* Stored, uint8_t* Bgr) {
  if (setjmp(png_jmpbuf(R.Png))) return false;
  for (int y = 0, want; (want = Sampler.NextSourceRow()) >= 0; ++y) {
    png_read_row(R.Png, Stored, nullptr);
    if (y < want) continue;
    RowToBgr(R, Stored, Bgr, R.Width);
    Sampler.TakeRow(Bgr);
  }
  return true;
}

// An interlaced picture: each pass's rows in turn, their pixels put in place
// in the sampled rows (Slot of each picture row: its place in Kept, or -1).
bool ReadPasses(PngReader& R, const int* Slot, uint8_t* Kept, uint8_t* Stored, uint8_t* PassBgr) {
  if (setjmp(png_jmpbuf(R.Png))) return false;
  const size_t keptBytes = static_cast<size_t>(R.Width) * 3;
  const png_uint_32 width = static_cast<png_uint_32>(R.Width), height = static_cast<png_uint_32>(R.Height);
  for (int pass = 0; pass < 7; ++pass) {
    const png_uint_32 columns = PNG_PASS_COLS(width, pass), rows = PNG_PASS_ROWS(height, pass);
    if (columns == 0) continue;  // libpng skips a pass with no pixels
    for (png_uint_32 i = 0; i < rows; ++i) {
      png_read_row(R.Png, Stored, nullptr);
      const int slot = Slot[PNG_ROW_FROM_PASS_ROW(i, pass)];
      if (slot < 0) continue;
      RowToBgr(R, Stored, PassBgr, static_cast<int>(columns));
      uint8_t* row = Kept + keptBytes * static_cast<size_t>(slot);
      for (png_uint_32 j = 0; j < columns; ++j)
        std::memcpy(row + static_cast<size_t>(PNG_COL_FROM_PASS_COL(j, pass)) * 3, PassBgr + j * 3, 3);
    }
  }
  return true;
}

// The source rows a sampler will ask for, in increasing order, found by
// running a copy of it over a one-pixel-wide picture.
std::vector<int> SampledRows(int Height, int DestWidth, int DestHeight, PictureOrientation Orientation) {
  BgrImage scratch;
  NearestRowSampler dry(1, Height, DestWidth, DestHeight, scratch, Orientation);
  std::vector<int> rows;
  const uint8_t pixel[3] = {};
  for (int row; (row = dry.NextSourceRow()) >= 0;) {
    rows.push_back(row);
    dry.TakeRow(pixel);
  }
  return rows;
}

}  // namespace

PictureProblem CheckPng(const PictureInput& Input, int& Width, int& Height) {
  PngReader r;
  const PictureProblem problem = ReadHeader(r, Input);
  if (problem != PictureProblem::NoProblem) return problem;
  UprightSize(r.Orientation, r.Width, r.Height, Width, Height);
  return PictureProblem::NoProblem;
}

bool LoadPngScaled(const PictureInput& Input, int DestWidth, int DestHeight, BgrImage& Out) {
  if (!ScaledSizeAllowed(DestWidth, DestHeight)) return false;
  PngReader r;
  if (ReadHeader(r, Input) != PictureProblem::NoProblem) return false;
  std::vector<uint8_t> bgr(static_cast<size_t>(r.Width) * 3);
  BgrImage result;
  NearestRowSampler sampler(r.Width, r.Height, DestWidth, DestHeight, result, r.Orientation);
  if (!r.Interlaced) {
    std::vector<uint8_t> stored(r.RowBytes);
    if (!ReadRows(r, sampler, stored.data(), bgr.data())) return false;
  } else {
    const std::vector<int> wanted = SampledRows(r.Height, DestWidth, DestHeight, r.Orientation);
    const size_t rowBytes = static_cast<size_t>(r.Width) * 3;
    if (static_cast<uint64_t>(wanted.size()) * rowBytes > kMaxSampledRowBytes) return false;
    std::vector<int> slot(static_cast<size_t>(r.Height), -1);
    for (size_t i = 0; i < wanted.size(); ++i) slot[static_cast<size_t>(wanted[i])] = static_cast<int>(i);
    std::vector<uint8_t> kept(wanted.size() * rowBytes);
    std::vector<uint8_t> stored(r.RowBytes);
    if (!ReadPasses(r, slot.data(), kept.data(), stored.data(), bgr.data())) return false;
    for (size_t i = 0; i < wanted.size(); ++i) sampler.TakeRow(kept.data() + i * rowBytes);
  }
  Out = std::move(result);
  return true;
}

}  // namespace sorvane
