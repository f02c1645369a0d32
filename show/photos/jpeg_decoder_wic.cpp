// JPEG decoding with the Windows Imaging Component (Windows side of
// jpeg_decoder.h; Linux uses jpeg_decoder_libjpeg.cpp). The frame is converted
// to 24bppBGR and copied one source row at a time, only for the rows the
// scaled picture samples. The EXIF orientation comes from the frame's
// metadata query reader; where the decoder offers no metadata at all (Wine's
// JPEG decoder lists none), from the file's EXIF block read by jpeg_header.cpp.

#include <windows.h>
#include <wincodec.h>
#include <wincodecsdk.h>

#include <vector>

#include "byte_source.h"
#include "jpeg_decoder.h"
#include "jpeg_header.h"
#include "picture_sampling.h"
#include "text_win32.h"

namespace sorvane {
namespace {

// Holds one COM interface and releases it.
template <class T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (p_) p_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T* operator->() const { return p_; }
  T* Get() const { return p_; }
  T** Out() { return &p_; }

 private:
  T* p_ = nullptr;
};

// COM for this thread while a decode runs; balanced only when it was ours to
// start (a thread already in another apartment model keeps its own).
class ComScope {
 public:
  ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT hr_;
};

// The decoded first frame as 24bppBGR, with the objects it needs alive.
struct BgrFrame {
  ComScope Com;
  ComRef<IWICImagingFactory> Factory;
  ComRef<IWICStream> Stream;
  ComRef<IWICBitmapDecoder> Decoder;
  ComRef<IWICBitmapFrameDecode> Frame;
  ComRef<IWICBitmapSource> Bgr;
  bool Gray = false;  // Bgr unused: rows come from Frame as 8bppGray
  int Width = 0;      // as stored
  int Height = 0;
  std::vector<uint8_t> Exif;  // the file's EXIF block, for a decoder without metadata
  PictureOrientation Orientation = PictureOrientation::AsStored;
};

// Largest frame handed to WIC: its whole frame, even at 4 bytes a pixel,
// stays below 2 GB (some WIC implementations hold the whole frame, and
// overflow beyond that).
constexpr uint64_t kMaxWicPixels = (uint64_t{1} << 31) / 4;

// Checks the frame header ourselves before WIC sees the file: a size beyond
// the limits, or one the file is far too short to hold, is refused here. A
// plausible file's EXIF block is kept in Exif.
bool PlausibleJpeg(ByteSource& Source, std::vector<uint8_t>& Exif) {
  int width = 0, height = 0;
  if (!ReadJpegFrameSize(Source, width, height) || !JpegSizeFitsFile(width, height, Source.Size()) ||
      static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxWicPixels)
    return false;
  if (!ReadJpegExifBlock(Source, Exif)) Exif.clear();
  return true;
}

// The orientation tag through the frame's metadata query reader: one SHORT
// from 1 to 8, anything else as stored. False when the decoder offers no
// metadata blocks at all, so the query could not have found the tag.
bool QueryOrientation(IWICBitmapFrameDecode* Frame, PictureOrientation& Orientation) {
  ComRef<IWICMetadataBlockReader> blocks;
  UINT count = 0;
  if (FAILED(Frame->QueryInterface(__uuidof(IWICMetadataBlockReader), reinterpret_cast<void**>(blocks.Out()))) ||
      FAILED(blocks->GetCount(&count)) || count == 0)
    return false;
  ComRef<IWICMetadataQueryReader> query;
  if (FAILED(Frame->GetMetadataQueryReader(query.Out()))) return false;
  PROPVARIANT value;
  PropVariantInit(&value);
  Orientation = PictureOrientation::AsStored;
  if (SUCCEEDED(query->GetMetadataByName(L"/app1/ifd/{ushort=274}", &value)) && value.vt == VT_UI2)
    Orientation = OrientationFromTag(value.uiVal);
  PropVariantClear(&value);
  return true;
}

// Opens the JPEG, checks its size and sets up the conversion to BGR.
bool OpenFrame(const PictureInput& Input, BgrFrame& F) {
  if (Input.Path) {
    FileByteSource source(*Input.Path);
    if (!source.IsOpen() || !PlausibleJpeg(source, F.Exif)) return false;
  } else {
    MemoryByteSource source(Input.Data, Input.Data ? Input.Size : 0);
    if (!PlausibleJpeg(source, F.Exif)) return false;
  }
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(F.Factory.Out()))))
    return false;
  if (Input.Path) {
    if (Input.Path->empty()) return false;
    const DWORD attributes = GetFileAttributesW(AnsiToWide(*Input.Path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    if (FAILED(F.Factory->CreateDecoderFromFilename(AnsiToWide(*Input.Path).c_str(), nullptr, GENERIC_READ,
                                                     WICDecodeMetadataCacheOnDemand, F.Decoder.Out())))
      return false;
  } else {
    if (!Input.Data || Input.Size == 0 || Input.Size > 0xFFFFFFFFu) return false;
    if (FAILED(F.Factory->CreateStream(F.Stream.Out()))) return false;
    if (FAILED(F.Stream->InitializeFromMemory(const_cast<BYTE*>(Input.Data), static_cast<DWORD>(Input.Size))))
      return false;
    if (FAILED(F.Factory->CreateDecoderFromStream(F.Stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                   F.Decoder.Out())))
      return false;
  }
  GUID container{};
  if (FAILED(F.Decoder->GetContainerFormat(&container)) || container != GUID_ContainerFormatJpeg) return false;
  if (FAILED(F.Decoder->GetFrame(0, F.Frame.Out()))) return false;
  UINT width = 0, height = 0;
  if (FAILED(F.Frame->GetSize(&width, &height))) return false;
  if (!PictureSizeAllowed(width, height)) return false;
  F.Width = static_cast<int>(width);
  F.Height = static_cast<int>(height);
  if (!QueryOrientation(F.Frame.Get(), F.Orientation)) F.Orientation = ExifOrientation(F.Exif);
  // Grayscale rows are widened here: some converters only copy whole frames
  // from gray, which would defeat reading row by row.
  WICPixelFormatGUID format{};
  if (SUCCEEDED(F.Frame->GetPixelFormat(&format)) && format == GUID_WICPixelFormat8bppGray) {
    F.Gray = true;
    return true;
  }
  return SUCCEEDED(WICConvertBitmapSource(GUID_WICPixelFormat24bppBGR, F.Frame.Get(), F.Bgr.Out()));
}

}  // namespace

// The frame's size upright: a quarter turn swaps the sides.
bool ReadJpegSize(const PictureInput& Input, int& Width, int& Height) {
  BgrFrame frame;
  if (!OpenFrame(Input, frame)) return false;
  const bool swap = SwapsSides(frame.Orientation);
  Width = swap ? frame.Height : frame.Width;
  Height = swap ? frame.Width : frame.Height;
  return true;
}

// A refusal for the size is told apart by our own look at the frame header.
PictureProblem CheckJpeg(const PictureInput& Input, int& Width, int& Height) {
  if (ReadJpegSize(Input, Width, Height)) return PictureProblem::NoProblem;
  int width = 0, height = 0;
  bool framed = false;
  if (Input.Path) {
    FileByteSource source(*Input.Path);
    framed = source.IsOpen() && ReadJpegFrameSize(source, width, height);
  } else {
    MemoryByteSource source(Input.Data, Input.Data ? Input.Size : 0);
    framed = ReadJpegFrameSize(source, width, height);
  }
  const bool tooLarge = framed && (!PictureSizeAllowed(width, height) ||
                                   static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxWicPixels);
  return tooLarge ? PictureProblem::TooLarge : PictureProblem::Undecodable;
}

// Copies the sampled rows one by one.
bool LoadJpegScaled(const PictureInput& Input, int DestWidth, int DestHeight, BgrImage& Out) {
  if (!ScaledSizeAllowed(DestWidth, DestHeight)) return false;
  BgrFrame frame;
  if (!OpenFrame(Input, frame)) return false;
  const UINT stride = static_cast<UINT>(frame.Width) * 3;
  std::vector<uint8_t> row(stride);
  std::vector<uint8_t> grayRow(frame.Gray ? static_cast<size_t>(frame.Width) : 0);
  BgrImage result;
  NearestRowSampler sampler(frame.Width, frame.Height, DestWidth, DestHeight, result, frame.Orientation);
  for (int y; (y = sampler.NextSourceRow()) >= 0;) {
    const WICRect rect{0, y, frame.Width, 1};
    if (frame.Gray) {
      const UINT grayStride = static_cast<UINT>(frame.Width);
      if (FAILED(frame.Frame->CopyPixels(&rect, grayStride, grayStride, grayRow.data()))) return false;
      for (size_t x = 0; x < grayRow.size(); ++x) row[x * 3] = row[x * 3 + 1] = row[x * 3 + 2] = grayRow[x];
    } else if (FAILED(frame.Bgr->CopyPixels(&rect, stride, stride, row.data()))) {
      return false;
    }
    sampler.TakeRow(row.data());
  }
  Out = std::move(result);
  return true;
}

}  // namespace sorvane
