// Test picture writer for make-test-pictures.sh (not built with the project):
// the four quarters as a HEIC through libheif, where heif-enc cannot make
// them: 10 bits a channel, or with an alpha channel that makes the white
// bottom-right quarter fully transparent.
// Usage: heif-writer OUT.heic BITS(8|10) ALPHA(0|1)
#include <libheif/heif.h>
#include <cstdlib>
int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const bool alpha = atoi(argv[3]) != 0;
  const int bits = atoi(argv[2]), w = 64, h = 48, channels = alpha ? 4 : 3, top = (1 << bits) - 1;
  const heif_chroma chroma = bits > 8 ? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
                                      : (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
  heif_image* image = nullptr;
  if (heif_image_create(w, h, heif_colorspace_RGB, chroma, &image).code ||
      heif_image_add_plane(image, heif_channel_interleaved, w, h, bits).code) return 1;
  int stride = 0;
  uint8_t* pixels = heif_image_get_plane(image, heif_channel_interleaved, &stride);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool right = x >= w / 2, bottom = y >= h / 2;
      const int v[4] = {(!right && !bottom) || (right && bottom) ? top : 0, right ? top : 0, bottom ? top : 0,
                        alpha && right && bottom ? 0 : top};
      for (int c = 0; c < channels; ++c) {
        if (bits > 8) {
          pixels[y * stride + (x * channels + c) * 2] = v[c] & 0xFF;
          pixels[y * stride + (x * channels + c) * 2 + 1] = v[c] >> 8;
        } else {
          pixels[y * stride + x * channels + c] = v[c];
        }
      }
    }
  heif_context* context = heif_context_alloc();
  heif_encoder* encoder = nullptr;
  if (heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code) return 1;
  heif_encoder_set_lossy_quality(encoder, 90);
  if (heif_context_encode_image(context, image, encoder, nullptr, nullptr).code ||
      heif_context_write_to_file(context, argv[1]).code) return 1;
  return 0;
}
