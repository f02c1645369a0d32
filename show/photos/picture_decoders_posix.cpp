// The Linux decoders of each picture format (see picture_decoders.h): each
// format's reference library, one file per library.

#include "gif_decoder.h"
#include "jpeg_decoder.h"
#include "picture_decoders.h"
#include "png_decoder.h"
#include "tiff_decoder.h"
#include "webp_decoder.h"

namespace sorvane {

const PictureDecoder* DecoderFor(PictureKind Kind) {
  static const PictureDecoder kJpeg{CheckJpeg, LoadJpegScaled};
  static const PictureDecoder kPng{CheckPng, LoadPngScaled};
  static const PictureDecoder kWebP{CheckWebP, LoadWebPScaled};
  static const PictureDecoder kGif{CheckGif, LoadGifScaled};
  static const PictureDecoder kTiff{CheckTiff, LoadTiffScaled};
  switch (Kind) {
    case PictureKind::Jpeg: return &kJpeg;
    case PictureKind::Png: return &kPng;
    case PictureKind::WebP: return &kWebP;
    case PictureKind::Gif: return &kGif;
    case PictureKind::Tiff: return &kTiff;
    default: return nullptr;
  }
}

}  // namespace sorvane
