// Any picture through the Windows Imaging Component (see picture_decoder_wic.h).
// Before WIC sees a PNG, a GIF or a TIFF, its header's size is checked here,
// since some decoders (Wine's) decode the whole frame, or set up a whole
// strip, as soon as they are created.
// The frame's own size is checked again before a row is asked for. Rows are
// copied one at a time, only those the scaled picture samples: grey frames
// as they are, JPEGs as 24bppBGR, everything else as premultiplied BGRA,
// whose colour is the pixel composited over black. WIC's own scaling
// (IWICBitmapSourceTransform) is not used: it blends pixels. The orientation
// comes from the frame's metadata; where WIC finds none, from the file's own
// EXIF block (PNG eXIf, WebP EXIF, the TIFF header), read by ExifOrientation.

#include "picture_decoder_wic.h"

#include <wincodecsdk.h>

#include <algorithm>
#include <cstring>

#include "byte_source.h"
#include "jpeg_header.h"
#include "picture_sampling.h"
#include "text_win32.h"
#include "wic_support_win32.h"

namespace sorvane {
namespace {

uint32_t Big32(const uint8_t* P) {
  return static_cast<uint32_t>(P[0]) << 24 | static_cast<uint32_t>(P[1]) << 16 | static_cast<uint32_t>(P[2]) << 8 | P[3];
}
uint32_t Little32(const uint8_t* P) {
  return static_cast<uint32_t>(P[3]) << 24 | static_cast<uint32_t>(P[2]) << 16 | static_cast<uint32_t>(P[1]) << 8 | P[0];
}

// The width and height tags (256, 257) of a classic TIFF's first IFD, and
// whether everything the IFD points at lies inside the file: each entry's
// values, and each strip or tile (offsets 273 or 324, byte counts 279 or
// 325). Wine's decoder sets up a whole strip's memory as soon as it opens
// the frame, and reads a cut file's missing colour map through a null
// pointer, so a TIFF is looked at before WIC sees it.
bool PlausibleTiff(ByteSource& Source, bool BigEndian, uint64_t& Width, uint64_t& Height) {
  auto u16 = [&](const uint8_t* P) -> uint32_t { return BigEndian ? (P[0] << 8 | P[1]) : (P[0] | P[1] << 8); };
  auto u32 = [&](const uint8_t* P) { return BigEndian ? Big32(P) : Little32(P); };
  static const uint8_t kTypeBytes[14] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
  struct Entry {
    uint32_t Type = 0, Count = 0;
    uint64_t At = 0;  // where the values are
  };
  Entry offsets, counts;
  uint8_t b[12];
  if (!Source.ReadAt(4, b, 4)) return false;
  const uint64_t ifd = u32(b);
  if (!Source.ReadAt(ifd, b, 2)) return false;
  const uint32_t entries = u16(b);
  for (uint32_t i = 0; i < entries; ++i) {
    const uint64_t at = ifd + 2 + 12 * uint64_t{i};
    if (!Source.ReadAt(at, b, 12)) return false;
    const uint32_t tag = u16(b), type = u16(b + 2), count = u32(b + 4);
    const uint64_t bytes = type < 14 ? uint64_t{kTypeBytes[type]} * count : 0;
    const uint64_t values = bytes > 4 ? u32(b + 8) : at + 8;
    if (values + bytes > Source.Size()) return false;
    if (tag == 256 || tag == 257)
      (tag == 256 ? Width : Height) = type == 3 ? u16(b + 8) : type == 4 ? u32(b + 8) : 0;
    if (tag == 273 || tag == 324) offsets = Entry{type, count, values};
    if (tag == 279 || tag == 325) counts = Entry{type, count, values};
  }
  // Every strip or tile whole inside the file (a cut file is refused here).
  if (offsets.Count != counts.Count || offsets.Count > (1u << 20)) return false;
  auto value = [&](const Entry& E, uint32_t I, uint64_t& V) {
    const unsigned size = E.Type == 3 ? 2 : E.Type == 4 ? 4 : 0;
    if (size == 0 || !Source.ReadAt(E.At + uint64_t{I} * size, b, size)) return false;
    V = size == 2 ? u16(b) : u32(b);
    return true;
  };
  for (uint32_t i = 0; i < offsets.Count; ++i) {
    uint64_t offset = 0, count = 0;
    if (!value(offsets, i, offset) || !value(counts, i, count) || offset + count > Source.Size()) return false;
  }
  return true;
}

// Our own look at the size a PNG's, a GIF's or a classic TIFF's header
// claims: beyond the side and pixel limits is TooLarge; nothing, or more than
// the file could hold even at the format's best compression (deflate: about
// 1032 bytes from one, LZW: a few thousand pixels from one byte),
// Undecodable; then more than MaxPixels, TooLarge. Other kinds: NoProblem,
// WIC decides.
PictureProblem HeaderProblem(PictureKind Kind, ByteSource& Source, uint64_t MaxPixels) {
  uint8_t b[24];
  uint64_t width = 0, height = 0, leastBytes = 0;
  if (Kind == PictureKind::Png) {
    if (!Source.ReadAt(0, b, 24) || std::memcmp(b + 12, "IHDR", 4) != 0) return PictureProblem::Undecodable;
    width = Big32(b + 16);
    height = Big32(b + 20);
    leastBytes = height * (1 + (width + 7) / 8) / 1032;  // one bit a pixel and a filter byte a row
  } else if (Kind == PictureKind::Gif) {
    if (!Source.ReadAt(0, b, 10)) return PictureProblem::Undecodable;
    width = b[6] | b[7] << 8;
    height = b[8] | b[9] << 8;
    leastBytes = width * height / 4096;
  } else if (Kind == PictureKind::Tiff && Source.ReadAt(0, b, 8) && b[2] != '+' && b[3] != '+') {
    if (!PlausibleTiff(Source, b[0] == 'M', width, height)) return PictureProblem::Undecodable;
    leastBytes = width * height / 8 / 1032;  // one bit a pixel, deflated
  } else {
    return PictureProblem::NoProblem;
  }
  if (width == 0 || height == 0) return PictureProblem::Undecodable;
  if (!PictureSizeAllowed(static_cast<int64_t>(width), static_cast<int64_t>(height))) return PictureProblem::TooLarge;
  if (Source.Size() < leastBytes) return PictureProblem::Undecodable;
  return width * height > MaxPixels ? PictureProblem::TooLarge : PictureProblem::NoProblem;
}

// At most this much of an EXIF block is read: the orientation lives in the
// first IFD, which writers put at its start.
constexpr uint32_t kMaxExifBytes = 65536;

// Reads Count bytes at At into Block (cut to kMaxExifBytes); false when short.
bool ReadBlock(ByteSource& Source, uint64_t At, uint64_t Count, std::vector<uint8_t>& Block) {
  Block.resize(static_cast<size_t>(Count < kMaxExifBytes ? Count : kMaxExifBytes));
  if (Block.empty() || Source.ReadAt(At, Block.data(), Block.size())) return true;
  Block.clear();
  return false;
}

// The TIFF block of a PNG's eXIf chunk, or of a WebP's EXIF chunk (its
// "Exif\0\0" header dropped when a writer left one), or a TIFF file's first
// bytes. Empty when there is none.
std::vector<uint8_t> OwnExifBlock(PictureKind Kind, ByteSource& Source) {
  std::vector<uint8_t> block;
  uint8_t h[8];
  if (Kind == PictureKind::Tiff) {
    ReadBlock(Source, 0, Source.Size(), block);
  } else if (Kind == PictureKind::Png) {
    uint64_t at = 8;
    for (int chunks = 0; chunks < 10000 && Source.ReadAt(at, h, 8); ++chunks) {
      const uint32_t length = Big32(h);
      if (std::memcmp(h + 4, "eXIf", 4) == 0) {
        ReadBlock(Source, at + 8, length, block);
        break;
      }
      if (std::memcmp(h + 4, "IEND", 4) == 0) break;
      at += 12 + uint64_t{length};
    }
  } else if (Kind == PictureKind::WebP) {
    uint64_t at = 12;
    for (int chunks = 0; chunks < 10000 && Source.ReadAt(at, h, 8); ++chunks) {
      const uint32_t length = Little32(h + 4);
      if (std::memcmp(h, "EXIF", 4) == 0) {
        ReadBlock(Source, at + 8, length, block);
        if (block.size() >= 6 && std::memcmp(block.data(), "Exif\0\0", 6) == 0) block.erase(block.begin(), block.begin() + 6);
        break;
      }
      at += 8 + uint64_t{length} + (length & 1);
    }
  }
  return block;
}

// Runs Use on a byte source over Input; false when the file does not open.
template <class Use>
bool WithSource(const PictureInput& Input, Use Action) {
  if (Input.Path) {
    FileByteSource source(*Input.Path);
    if (!source.IsOpen()) return false;
    Action(source);
  } else {
    MemoryByteSource source(Input.Data, Input.Data ? Input.Size : 0);
    Action(source);
  }
  return true;
}

// How the frame's rows are copied.
enum class RowLayout { Gray8, Bgr24, Pbgra32 };

// The opened first frame, with the objects it needs alive.
struct WicFrame {
  ComScope Com;
  ComRef<IWICImagingFactory> Factory;
  ComRef<IWICStream> Stream;
  ComRef<IWICBitmapDecoder> Decoder;
  ComRef<IWICBitmapFrameDecode> Frame;
  ComRef<IWICBitmapSource> Converted;  // rows in Layout, unless Gray8 (then Frame)
  RowLayout Layout = RowLayout::Pbgra32;
  int Width = 0;  // as stored: the frame's, or a GIF's screen
  int Height = 0;
  int FrameWidth = 0;  // the frame's own size and place on the screen
  int FrameHeight = 0;
  int Left = 0;
  int Top = 0;
  PictureOrientation Orientation = PictureOrientation::AsStored;
};

// An orientation value from a metadata query: one SHORT from 1 to 8, anything
// else found there as stored. False when the query finds nothing.
bool OrientationValue(IWICMetadataQueryReader* Query, const wchar_t* Name, PictureOrientation& Orientation) {
  PROPVARIANT value;
  PropVariantInit(&value);
  bool found = false;
  if (SUCCEEDED(Query->GetMetadataByName(Name, &value))) {
    found = true;
    Orientation = value.vt == VT_UI2 ? OrientationFromTag(value.uiVal) : PictureOrientation::AsStored;
  }
  PropVariantClear(&value);
  return found;
}

// Whether the frame offers metadata blocks at all.
bool HasMetadata(IWICBitmapFrameDecode* Frame) {
  ComRef<IWICMetadataBlockReader> blocks;
  UINT count = 0;
  return SUCCEEDED(Frame->QueryInterface(__uuidof(IWICMetadataBlockReader), reinterpret_cast<void**>(blocks.Out()))) &&
         SUCCEEDED(blocks->GetCount(&count)) && count > 0;
}

// The frame's orientation. A JPEG's own EXIF block counts only where the
// decoder offers no metadata reader at all (Wine's); with one, a missing tag
// means as stored. Other formats fall back on their own block whenever WIC
// finds no orientation (Wine's PNG decoder lists chunks but not eXIf).
PictureOrientation FrameOrientation(IWICBitmapFrameDecode* Frame, const GUID& Container, bool Jpeg,
                                    const std::vector<uint8_t>& Exif) {
  ComRef<IWICMetadataQueryReader> query;
  if (!HasMetadata(Frame) || FAILED(Frame->GetMetadataQueryReader(query.Out()))) return ExifOrientation(Exif);
  PictureOrientation orientation = PictureOrientation::AsStored;
  if (Jpeg) {
    OrientationValue(query.Get(), L"/app1/ifd/{ushort=274}", orientation);
    return orientation;
  }
  if (OrientationValue(query.Get(), L"System.Photo.Orientation", orientation)) return orientation;
  if (Container == GUID_ContainerFormatTiff && OrientationValue(query.Get(), L"/ifd/{ushort=274}", orientation))
    return orientation;
  return ExifOrientation(Exif);
}

// A number from a metadata query, or Default when there is none.
int QueryNumber(IWICMetadataQueryReader* Query, const wchar_t* Name, int Default) {
  PROPVARIANT value;
  PropVariantInit(&value);
  int number = Default;
  if (Query && SUCCEEDED(Query->GetMetadataByName(Name, &value)) && value.vt == VT_UI2) number = value.uiVal;
  PropVariantClear(&value);
  return number;
}

// A GIF's first frame may cover only part of its logical screen: the
// picture is the screen, black outside the frame.
void PlaceGifFrame(WicFrame& F) {
  ComRef<IWICMetadataQueryReader> screen, frame;
  if (FAILED(F.Decoder->GetMetadataQueryReader(screen.Out()))) return;
  F.Frame->GetMetadataQueryReader(frame.Out());
  const int width = QueryNumber(screen.Get(), L"/logscrdesc/Width", 0);
  const int height = QueryNumber(screen.Get(), L"/logscrdesc/Height", 0);
  if (width < 1 || height < 1) return;
  F.Width = width;
  F.Height = height;
  F.Left = QueryNumber(frame.Get(), L"/imgdesc/Left", 0);
  F.Top = QueryNumber(frame.Get(), L"/imgdesc/Top", 0);
}

// Opens the decoder on the file or the memory. False when no codec takes it.
bool CreateDecoder(const PictureInput& Input, WicFrame& F) {
  if (Input.Path) {
    if (Input.Path->empty()) return false;
    const std::wstring path = AnsiToWide(*Input.Path);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    return SUCCEEDED(F.Factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                          WICDecodeMetadataCacheOnDemand, F.Decoder.Out()));
  }
  if (!Input.Data || Input.Size == 0 || Input.Size > 0xFFFFFFFFu) return false;
  if (FAILED(F.Factory->CreateStream(F.Stream.Out())) ||
      FAILED(F.Stream->InitializeFromMemory(const_cast<BYTE*>(Input.Data), static_cast<DWORD>(Input.Size))))
    return false;
  return SUCCEEDED(F.Factory->CreateDecoderFromStream(F.Stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                      F.Decoder.Out()));
}

// Opens the first frame, checks its size, finds its orientation and sets up
// the conversion of its rows.
PictureProblem OpenFrame(const PictureInput& Input, const WicRequest& R, WicFrame& F) {
  PictureProblem early = PictureProblem::NoProblem;
  std::vector<uint8_t> ownExif;
  const bool opened = WithSource(Input, [&](ByteSource& Source) {
    early = HeaderProblem(R.Kind, Source, R.MaxPixels);
    if (early == PictureProblem::NoProblem && !R.Exif) ownExif = OwnExifBlock(R.Kind, Source);
  });
  if (!opened) return PictureProblem::Undecodable;
  if (early != PictureProblem::NoProblem) return early;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(F.Factory.Out()))))
    return PictureProblem::Undecodable;
  if (!CreateDecoder(Input, F))
    return R.Kind == PictureKind::Unknown ? PictureProblem::NotAPicture : PictureProblem::Undecodable;
  GUID container{};
  if (FAILED(F.Decoder->GetContainerFormat(&container)) || (R.Container && container != *R.Container))
    return PictureProblem::Undecodable;
  if (FAILED(F.Decoder->GetFrame(0, F.Frame.Out()))) return PictureProblem::Undecodable;
  UINT width = 0, height = 0;
  if (FAILED(F.Frame->GetSize(&width, &height)) || width == 0 || height == 0) return PictureProblem::Undecodable;
  if (!PictureSizeAllowed(width, height) || uint64_t{width} * height > R.MaxPixels) return PictureProblem::TooLarge;
  F.Width = F.FrameWidth = static_cast<int>(width);
  F.Height = F.FrameHeight = static_cast<int>(height);
  if (container == GUID_ContainerFormatGif) PlaceGifFrame(F);
  const std::vector<uint8_t>& exif = R.Exif ? *R.Exif : ownExif;
  F.Orientation = FrameOrientation(F.Frame.Get(), container, R.Jpeg, exif);
  // Grey rows are widened here: some converters only copy whole frames from
  // grey, which would defeat reading row by row.
  WICPixelFormatGUID format{};
  if (SUCCEEDED(F.Frame->GetPixelFormat(&format)) && format == GUID_WICPixelFormat8bppGray) {
    F.Layout = RowLayout::Gray8;
    return PictureProblem::NoProblem;
  }
  F.Layout = R.Jpeg ? RowLayout::Bgr24 : RowLayout::Pbgra32;
  const GUID& target = R.Jpeg ? GUID_WICPixelFormat24bppBGR : GUID_WICPixelFormat32bppPBGRA;
  return SUCCEEDED(WICConvertBitmapSource(target, F.Frame.Get(), F.Converted.Out())) ? PictureProblem::NoProblem
                                                                                     : PictureProblem::Undecodable;
}

}  // namespace

// The frame's size upright: a quarter turn swaps the sides.
PictureProblem CheckWicPicture(const PictureInput& Input, const WicRequest& Request, int& Width, int& Height) {
  WicFrame frame;
  const PictureProblem problem = OpenFrame(Input, Request, frame);
  if (problem != PictureProblem::NoProblem) return problem;
  UprightSize(frame.Orientation, frame.Width, frame.Height, Width, Height);
  return PictureProblem::NoProblem;
}

// Copies the sampled rows one by one, each widened to BGR.
bool LoadWicPictureScaled(const PictureInput& Input, const WicRequest& Request, int DestWidth, int DestHeight,
                          BgrImage& Out) {
  if (!ScaledSizeAllowed(DestWidth, DestHeight)) return false;
  WicFrame frame;
  if (OpenFrame(Input, Request, frame) != PictureProblem::NoProblem) return false;
  const UINT width = static_cast<UINT>(frame.FrameWidth);
  const UINT bytesPerPixel = frame.Layout == RowLayout::Gray8 ? 1 : frame.Layout == RowLayout::Bgr24 ? 3 : 4;
  const UINT stride = width * bytesPerPixel;
  std::vector<uint8_t> copied(stride);
  const bool placed = frame.Width != frame.FrameWidth || frame.Height != frame.FrameHeight || frame.Left || frame.Top;
  std::vector<uint8_t> bgr(frame.Layout == RowLayout::Bgr24 && !placed ? 0 : size_t(frame.Width) * 3);
  IWICBitmapSource* source = frame.Layout == RowLayout::Gray8 ? frame.Frame.Get() : frame.Converted.Get();
  BgrImage result;
  NearestRowSampler sampler(frame.Width, frame.Height, DestWidth, DestHeight, result, frame.Orientation);
  for (int y; (y = sampler.NextSourceRow()) >= 0;) {
    const int row = y - frame.Top;
    if (row < 0 || row >= frame.FrameHeight) {  // outside a GIF's frame
      std::fill(bgr.begin(), bgr.end(), 0);
      sampler.TakeRow(bgr.data());
      continue;
    }
    const WICRect rect{0, row, frame.FrameWidth, 1};
    if (FAILED(source->CopyPixels(&rect, stride, stride, copied.data()))) return false;
    if (bgr.empty()) {
      sampler.TakeRow(copied.data());
      continue;
    }
    std::fill(bgr.begin(), bgr.end(), 0);
    for (int x = 0; x < frame.FrameWidth && frame.Left + x < frame.Width; ++x) {
      const uint8_t* p = &copied[size_t(x) * bytesPerPixel];
      uint8_t* q = &bgr[size_t(frame.Left + x) * 3];
      if (frame.Layout == RowLayout::Gray8) {
        q[0] = q[1] = q[2] = p[0];
      } else {  // BGR, or premultiplied BGRA: already over black, the alpha dropped
        q[0] = p[0];
        q[1] = p[1];
        q[2] = p[2];
      }
    }
    sampler.TakeRow(bgr.data());
  }
  Out = std::move(result);
  return true;
}

}  // namespace sorvane
