// The Windows decoders of each picture format (see picture_decoders.h): the
// Windows Imaging Component for every kind, JPEG after our own header checks
// (jpeg_decoder_wic.cpp), every other through picture_decoder_wic.cpp, so
// any codec installed on the machine is used. An unknown kind is offered to
// every codec WIC has (JPEG XR, ICO, camera RAW...). BMP keeps our reader.

#include "jpeg_decoder.h"
#include "picture_decoder_wic.h"
#include "picture_decoders.h"

namespace sorvane {
namespace {

template <PictureKind Kind>
PictureProblem CheckOfKind(const PictureInput& Input, int& Width, int& Height) {
  WicRequest request;
  request.Kind = Kind;
  return CheckWicPicture(Input, request, Width, Height);
}

template <PictureKind Kind>
bool LoadOfKind(const PictureInput& Input, int DestWidth, int DestHeight, BgrImage& Out) {
  WicRequest request;
  request.Kind = Kind;
  return LoadWicPictureScaled(Input, request, DestWidth, DestHeight, Out);
}

template <PictureKind Kind>
const PictureDecoder* WicDecoder() {
  static const PictureDecoder decoder{CheckOfKind<Kind>, LoadOfKind<Kind>};
  return &decoder;
}

}  // namespace

const PictureDecoder* DecoderFor(PictureKind Kind) {
  static const PictureDecoder kJpeg{CheckJpeg, LoadJpegScaled};
  switch (Kind) {
    case PictureKind::Jpeg: return &kJpeg;
    case PictureKind::Png: return WicDecoder<PictureKind::Png>();
    case PictureKind::Gif: return WicDecoder<PictureKind::Gif>();
    case PictureKind::Tiff: return WicDecoder<PictureKind::Tiff>();
    case PictureKind::WebP: return WicDecoder<PictureKind::WebP>();
    case PictureKind::Heif: return WicDecoder<PictureKind::Heif>();
    case PictureKind::Unknown: return WicDecoder<PictureKind::Unknown>();
    case PictureKind::Bmp: return nullptr;
  }
  return nullptr;
}

}  // namespace sorvane
