// The Windows decoders of each picture format (see picture_decoders.h): the
// Windows Imaging Component.

#include "jpeg_decoder.h"
#include "picture_decoders.h"

namespace sorvane {

const PictureDecoder* DecoderFor(PictureKind Kind) {
  static const PictureDecoder kJpeg{CheckJpeg, LoadJpegScaled};
  switch (Kind) {
    case PictureKind::Jpeg: return &kJpeg;
    default: return nullptr;
  }
}

}  // namespace sorvane
