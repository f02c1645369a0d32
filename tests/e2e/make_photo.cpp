// End-to-end helper: writes a progressive 4:4:4 JPEG of the four quarters
// (red top-left, green top-right, blue bottom-left, white bottom-right), so
// that the temporary bitmap tells whether the photograph was shown. With
// CLAIM_WxH the frame header then claims that size instead (a picture refused
// for its size without anything that large being made).
// Usage: make_photo WIDTH HEIGHT OUT.jpg [CLAIM_WIDTH CLAIM_HEIGHT]

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

int main(int argc, char** argv) {
  if (argc != 4 && argc != 6) return 2;
  const int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
  if (width < 2 || height < 2) return 2;
  unsigned char* bytes = nullptr;
  unsigned long size = 0;
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_mem_dest(&c, &bytes, &size);
  c.image_width = static_cast<JDIMENSION>(width);
  c.image_height = static_cast<JDIMENSION>(height);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 90, TRUE);
  for (int i = 0; i < c.num_components; ++i) c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
  jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  std::vector<unsigned char> row(static_cast<size_t>(width) * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool right = x >= width / 2, bottom = y >= height / 2;
      const unsigned char r = (!right && !bottom) || (right && bottom) ? 255 : 0;
      const unsigned char g = (right && !bottom) || (right && bottom) ? 255 : 0;
      const unsigned char b = bottom ? 255 : 0;
      row[x * 3] = r;
      row[x * 3 + 1] = g;
      row[x * 3 + 2] = b;
    }
    JSAMPROW line = row.data();
    jpeg_write_scanlines(&c, &line, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  if (argc == 6) {
    // The first frame header: FF C2, length, precision, height, width.
    const unsigned claimW = static_cast<unsigned>(std::atoi(argv[4])), claimH = static_cast<unsigned>(std::atoi(argv[5]));
    for (unsigned long i = 0; i + 8 < size; ++i) {
      if (bytes[i] == 0xFF && bytes[i + 1] == 0xC2) {
        bytes[i + 5] = static_cast<unsigned char>(claimH >> 8);
        bytes[i + 6] = static_cast<unsigned char>(claimH);
        bytes[i + 7] = static_cast<unsigned char>(claimW >> 8);
        bytes[i + 8] = static_cast<unsigned char>(claimW);
        break;
      }
    }
  }
  std::FILE* out = std::fopen(argv[3], "wb");
  const bool ok = out && std::fwrite(bytes, 1, size, out) == size;
  if (out) std::fclose(out);
  std::free(bytes);
  return ok ? 0 : 1;
}
