// File writers for the generated pictures, and the little-endian helpers the
// checker shares with them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "raster.h"

namespace resgen {

using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, uint16_t v);
void put32(Bytes& b, uint32_t v);
uint16_t get16(const Bytes& b, size_t at);
uint32_t get32(const Bytes& b, size_t at);

bool read_file(const std::string& path, Bytes& out);
bool write_file(const std::string& path, const Bytes& data);

// Uncompressed 24-bit BMP, bottom-up rows padded to four bytes.
Bytes encode_bmp24(const Image8& img);

// Baseline JFIF 1.01, YCbCr with 2x2 luminance sampling (4:2:0), square pixels.
Bytes encode_jpeg(const Image8& img, int quality);

// An .ico holding one 8-bit palettised image. indices: one byte per pixel,
// rows top to bottom; palette: 256 colours 0xRRGGBB; fully opaque mask.
Bytes encode_ico8(int w, int h, const std::vector<uint8_t>& indices,
                  const std::array<uint32_t, 256>& palette);

}  // namespace resgen
