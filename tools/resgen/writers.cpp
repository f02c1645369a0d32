#include "writers.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>

namespace resgen {

void put16(Bytes& b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

void put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

uint16_t get16(const Bytes& b, size_t at) {
    if (at + 2 > b.size()) return 0;
    return uint16_t(b[at] | (b[at + 1] << 8));
}

uint32_t get32(const Bytes& b, size_t at) {
    if (at + 4 > b.size()) return 0;
    return uint32_t(b[at]) | (uint32_t(b[at + 1]) << 8) | (uint32_t(b[at + 2]) << 16) |
           (uint32_t(b[at + 3]) << 24);
}

bool read_file(const std::string& path, Bytes& out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    out.clear();
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return true;
}

bool write_file(const std::string& path, const Bytes& data) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

Bytes encode_bmp24(const Image8& img) {
    const uint32_t stride = (uint32_t(img.w) * 3 + 3) & ~3u;
    const uint32_t pixels = stride * uint32_t(img.h);
    Bytes b;
    b.reserve(54 + pixels);
    b.push_back('B');
    b.push_back('M');
    put32(b, 54 + pixels);  // file size
    put32(b, 0);            // two reserved words
    put32(b, 54);           // pixel data offset
    put32(b, 40);           // BITMAPINFOHEADER
    put32(b, uint32_t(img.w));
    put32(b, uint32_t(img.h));  // positive: bottom-up
    put16(b, 1);                // planes
    put16(b, 24);
    put32(b, 0);  // BI_RGB
    put32(b, pixels);
    put32(b, 3780);  // 96 dpi
    put32(b, 3780);
    put32(b, 0);
    put32(b, 0);
    for (int y = img.h - 1; y >= 0; --y) {
        for (int x = 0; x < img.w; ++x) {
            const uint8_t* p = img.at(x, y);
            b.push_back(p[2]);
            b.push_back(p[1]);
            b.push_back(p[0]);
        }
        for (uint32_t pad = uint32_t(img.w) * 3; pad < stride; ++pad) b.push_back(0);
    }
    return b;
}

namespace {

[[noreturn]] void jpeg_fail(j_common_ptr cinfo) {
    char msg[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, msg);
    throw std::runtime_error(std::string("libjpeg: ") + msg);
}

}  // namespace

Bytes encode_jpeg(const Image8& img, int quality) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jerr.error_exit = jpeg_fail;
    jpeg_create_compress(&cinfo);

    unsigned char* mem = nullptr;
    unsigned long memSize = 0;
    jpeg_mem_dest(&cinfo, &mem, &memSize);

    cinfo.image_width = JDIMENSION(img.w);
    cinfo.image_height = JDIMENSION(img.h);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, JCS_YCbCr);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.dct_method = JDCT_ISLOW;  // exact integer DCT: same bytes everywhere
    cinfo.optimize_coding = TRUE;   // smaller files, still a baseline SOF0 stream
    cinfo.write_JFIF_header = TRUE;
    cinfo.JFIF_major_version = 1;
    cinfo.JFIF_minor_version = 1;
    cinfo.density_unit = 0;  // aspect ratio only: square pixels
    cinfo.X_density = 1;
    cinfo.Y_density = 1;
    cinfo.comp_info[0].h_samp_factor = 2;
    cinfo.comp_info[0].v_samp_factor = 2;
    for (int c = 1; c < 3; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }

    Bytes out;
    try {
        jpeg_start_compress(&cinfo, TRUE);
        while (cinfo.next_scanline < cinfo.image_height) {
            JSAMPROW row = const_cast<JSAMPROW>(img.at(0, int(cinfo.next_scanline)));
            jpeg_write_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_compress(&cinfo);
        out.assign(mem, mem + memSize);
    } catch (...) {
        jpeg_destroy_compress(&cinfo);
        std::free(mem);
        throw;
    }
    jpeg_destroy_compress(&cinfo);
    std::free(mem);
    return out;
}

Bytes encode_ico8(int w, int h, const std::vector<uint8_t>& indices,
                  const std::array<uint32_t, 256>& palette) {
    const uint32_t xorStride = (uint32_t(w) + 3) & ~3u;
    const uint32_t andStride = ((uint32_t(w) + 31) / 32) * 4;
    const uint32_t imageSize = 40 + 256 * 4 + xorStride * h + andStride * h;

    Bytes b;
    // ICONDIR
    put16(b, 0);
    put16(b, 1);  // icon
    put16(b, 1);  // one image
    // ICONDIRENTRY
    b.push_back(uint8_t(w));
    b.push_back(uint8_t(h));
    b.push_back(0);  // colour count: 0 means 256
    b.push_back(0);
    put16(b, 1);   // planes
    put16(b, 8);   // bits per pixel
    put32(b, imageSize);
    put32(b, 22);  // offset of the image: right after this one entry
    // BITMAPINFOHEADER; the height covers the XOR bitmap and the AND mask.
    put32(b, 40);
    put32(b, uint32_t(w));
    put32(b, uint32_t(h * 2));
    put16(b, 1);
    put16(b, 8);
    put32(b, 0);
    put32(b, xorStride * h + andStride * h);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);  // colours used: 0 means all 256
    put32(b, 0);
    for (uint32_t c : palette) {
        b.push_back(uint8_t(c));
        b.push_back(uint8_t(c >> 8));
        b.push_back(uint8_t(c >> 16));
        b.push_back(0);
    }
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) b.push_back(indices[size_t(y) * w + x]);
        for (uint32_t pad = uint32_t(w); pad < xorStride; ++pad) b.push_back(0);
    }
    for (int y = 0; y < h; ++y)
        for (uint32_t i = 0; i < andStride; ++i) b.push_back(0);  // all opaque
    return b;
}

}  // namespace resgen
