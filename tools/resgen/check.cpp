// Checks the pictures in resources/ against what the program relies on:
// formats, sizes, depths, the button frames' colours, the marble's tone and
// seam, and that the photographs are bright and detailed.
//   resgen_check <resources folder>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "writers.h"

using namespace resgen;

namespace {

int failures = 0;

void expect(bool ok, const std::string& what) {
    if (!ok) {
        std::fprintf(stderr, "FAIL: %s\n", what.c_str());
        ++failures;
    }
}

std::string hexs(uint32_t c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%06X", c);
    return buf;
}

// ------------------------------------------------------------------ BMP --

struct Bmp {
    int w = 0, h = 0;
    std::vector<uint32_t> px;  // 0xRRGGBB, top row first
    uint32_t at(int x, int y) const { return px[size_t(y) * w + x]; }
};

bool load_bmp(const std::string& dir, const std::string& name, int w, int h, Bmp& out) {
    Bytes b;
    if (!read_file(dir + "/" + name, b)) {
        expect(false, name + ": missing");
        return false;
    }
    const uint32_t stride = (uint32_t(w) * 3 + 3) & ~3u;
    bool ok = b.size() == 54 + stride * uint32_t(h) && b[0] == 'B' && b[1] == 'M' &&
              get32(b, 2) == b.size() && get32(b, 10) == 54 && get32(b, 14) == 40 &&
              int32_t(get32(b, 18)) == w && int32_t(get32(b, 22)) == h && get16(b, 26) == 1 &&
              get16(b, 28) == 24 && get32(b, 30) == 0;
    expect(ok, name + ": not an uncompressed bottom-up 24-bit " + std::to_string(w) + "x" +
                   std::to_string(h) + " BMP");
    if (!ok) return false;
    out.w = w;
    out.h = h;
    out.px.assign(size_t(w) * h, 0);
    for (int y = 0; y < h; ++y) {
        size_t row = 54 + size_t(h - 1 - y) * stride;
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = &b[row + size_t(x) * 3];
            out.px[size_t(y) * w + x] = (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
        }
    }
    return true;
}

int channel(uint32_t c, int i) { return int((c >> (16 - 8 * i)) & 0xFF); }

// ----------------------------------------------------------------- JPEG --

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void on_jpeg_error(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1); }

struct JpegStats {
    double mean = 0, stddev = 0;
    uint32_t corner = 0;   // top-left pixel
    double topMean = 0, bottomMean = 0;
};

void check_jpeg(const std::string& dir, const std::string& name, int side, size_t minBytes,
                size_t maxBytes, JpegStats& stats) {
    Bytes b;
    if (!read_file(dir + "/" + name, b)) {
        expect(false, name + ": missing");
        return;
    }
    expect(b.size() >= minBytes && b.size() <= maxBytes,
           name + ": " + std::to_string(b.size()) + " bytes, outside the expected range");
    // Baseline means a SOF0 frame header; scan the markers before the first scan.
    bool sof0 = false;
    for (size_t i = 2; i + 4 <= b.size() && b[i] == 0xFF;) {
        uint8_t m = b[i + 1];
        if (m == 0xC0) sof0 = true;
        if (m == 0xDA) break;
        i += 2 + ((size_t(b[i + 2]) << 8) | b[i + 3]);
    }
    expect(sof0, name + ": not a baseline (SOF0) JPEG");

    jpeg_decompress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = on_jpeg_error;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        expect(false, name + ": does not decode");
        return;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, b.data(), (unsigned long)b.size());
    jpeg_read_header(&cinfo, TRUE);
    bool ok = int(cinfo.image_width) == side && int(cinfo.image_height) == side &&
              cinfo.num_components == 3 && cinfo.jpeg_color_space == JCS_YCbCr &&
              cinfo.data_precision == 8 && !cinfo.progressive_mode && cinfo.saw_JFIF_marker &&
              cinfo.JFIF_major_version == 1 && cinfo.JFIF_minor_version == 1 &&
              cinfo.X_density == cinfo.Y_density;
    expect(ok, name + ": expected a " + std::to_string(side) + "x" + std::to_string(side) +
                   " 8-bit YCbCr JFIF 1.01 picture with square pixels");
    bool sampling = cinfo.comp_info[0].h_samp_factor == 2 && cinfo.comp_info[0].v_samp_factor == 2 &&
                    cinfo.comp_info[1].h_samp_factor == 1 && cinfo.comp_info[1].v_samp_factor == 1 &&
                    cinfo.comp_info[2].h_samp_factor == 1 && cinfo.comp_info[2].v_samp_factor == 1;
    expect(sampling, name + ": chroma is not 4:2:0");

    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    std::vector<uint8_t> row(cinfo.output_width * 3);
    double sum = 0, sum2 = 0, top = 0, bottom = 0;
    const double n = double(cinfo.output_width) * cinfo.output_height;
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW r = row.data();
        int y = int(cinfo.output_scanline);
        jpeg_read_scanlines(&cinfo, &r, 1);
        if (y == 0) stats.corner = (uint32_t(row[0]) << 16) | (uint32_t(row[1]) << 8) | row[2];
        for (size_t x = 0; x < cinfo.output_width; ++x) {
            double l = 0.299 * row[x * 3] + 0.587 * row[x * 3 + 1] + 0.114 * row[x * 3 + 2];
            sum += l;
            sum2 += l * l;
            if (y < int(cinfo.output_height) / 4) top += l;
            if (y >= int(cinfo.output_height) * 3 / 4) bottom += l;
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    stats.mean = sum / n;
    stats.stddev = std::sqrt(std::max(0.0, sum2 / n - stats.mean * stats.mean));
    stats.topMean = top / (n / 4);
    stats.bottomMean = bottom / (n / 4);
}

// -------------------------------------------------------------- buttons --

// One expected colour on a run of pixels, x0..x1 by y0..y1 inclusive.
struct Run {
    int x0, y0, x1, y1;
    uint32_t colour;
};

void check_runs(const Bmp& img, const std::string& name, const std::vector<Run>& runs) {
    for (const Run& r : runs)
        for (int y = r.y0; y <= r.y1; ++y)
            for (int x = r.x0; x <= r.x1; ++x)
                if (img.at(x, y) != r.colour) {
                    expect(false, name + ": pixel (" + std::to_string(x) + "," + std::to_string(y) +
                                      ") is " + hexs(img.at(x, y)) + ", expected " + hexs(r.colour));
                    return;
                }
}

// Outline on rows/columns `at` and their mirrors, corners softened.
std::vector<Run> outline(int at, uint32_t c) {
    int r = 63 - at, b = 24 - at;
    return {{at + 1, at, r - 1, at, c}, {at + 1, b, r - 1, b, c},
            {at, at + 1, at, b - 1, c}, {r, at + 1, r, b - 1, c}};
}

void check_corners_soft(const Bmp& img, const std::string& name, int at, uint32_t outlineColour) {
    for (int y : {at, 24 - at})
        for (int x : {at, 63 - at})
            expect(img.at(x, y) != outlineColour, name + ": outline corner is not rounded");
}

void check_margin_light(const Bmp& img, const std::string& name) {
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 64; ++x) {
            if (x != 0 && x != 63 && y != 0 && y != 24) continue;
            for (int i = 0; i < 3; ++i) {
                int lo = channel(0xDCD6C2, i), hi = channel(0xFAFAF6, i);
                if (channel(img.at(x, y), i) < lo || channel(img.at(x, y), i) > hi) {
                    expect(false, name + ": margin pixel outside the light background shades");
                    return;
                }
            }
        }
}

void check_buttons(const std::string& dir) {
    Bmp normal, high, highSel, sel, pressed, disable;
    bool ok = load_bmp(dir, "button_normal.bmp", 64, 25, normal) &
              load_bmp(dir, "button_highlight.bmp", 64, 25, high) &
              load_bmp(dir, "button_highlightselect.bmp", 64, 25, highSel) &
              load_bmp(dir, "button_selected.bmp", 64, 25, sel) &
              load_bmp(dir, "button_pressed.bmp", 64, 25, pressed) &
              load_bmp(dir, "button_disable.bmp", 64, 25, disable);
    if (!ok) return;
    expect(high.px == highSel.px, "button_highlightselect.bmp: pixels differ from button_highlight.bmp");

    // The frame the button cuts from each picture: the outer four pixels.
    struct Face {
        const char* name;
        const Bmp* img;
        std::vector<Run> ring;
    };
    const std::vector<Face> ringed = {
        {"button_normal.bmp", &normal,
         {{2, 2, 61, 3, 0xF3F3EE}, {2, 4, 3, 4, 0xFDFDFC}, {2, 20, 3, 20, 0xECEBE6},
          {61, 4, 61, 4, 0xE8E5DF}, {61, 20, 61, 20, 0xE0DDD4}, {2, 21, 61, 21, 0xE2DFD6},
          {2, 22, 61, 22, 0xD6D0C5}}},
        {"button_highlight.bmp", &high,
         {{2, 2, 61, 2, 0xFFF0CF}, {2, 3, 61, 3, 0xFDD889}, {2, 4, 3, 4, 0xFEDF9A},
          {60, 4, 61, 4, 0xFEDF9A}, {2, 20, 3, 20, 0xF9B435}, {60, 20, 61, 20, 0xF9B435},
          {2, 21, 61, 21, 0xF8B330}, {2, 22, 61, 22, 0xE59700}}},
        {"button_selected.bmp", &sel,
         {{2, 2, 61, 3, 0xCEE7FF}, {2, 4, 3, 4, 0xB7D0F4}, {60, 4, 61, 4, 0xB7D0F4},
          {2, 20, 3, 20, 0x8BADE4}, {60, 20, 61, 20, 0x8BADE4}, {2, 21, 61, 22, 0x6982EE}}},
    };
    for (const Face& f : ringed) {
        check_runs(*f.img, f.name, outline(1, 0x003C74));
        check_corners_soft(*f.img, f.name, 1, 0x003C74);
        check_margin_light(*f.img, f.name);
        check_runs(*f.img, f.name, f.ring);
        // Side rings shade steadily from top to bottom.
        int prev = 1 << 30;
        for (int y = 4; y <= 20; ++y) {
            int sum = channel(f.img->at(2, y), 0) + channel(f.img->at(2, y), 1) + channel(f.img->at(2, y), 2);
            expect(sum <= prev, std::string(f.name) + ": left ring does not darken downwards");
            prev = sum;
        }
    }

    check_runs(pressed, "button_pressed.bmp",
               {{0, 0, 63, 1, 0xECE9D8}, {0, 23, 63, 24, 0xECE9D8}, {0, 0, 1, 24, 0xECE9D8},
                {62, 0, 63, 24, 0xECE9D8}, {3, 3, 60, 3, 0xD1CCC1}, {3, 21, 60, 21, 0xF2F1EE},
                {3, 4, 3, 20, 0xE2E1D9}, {60, 4, 60, 20, 0xE2E1D9}});
    check_runs(pressed, "button_pressed.bmp", outline(2, 0x003C74));
    check_corners_soft(pressed, "button_pressed.bmp", 2, 0x003C74);

    check_runs(disable, "button_disable.bmp",
               {{0, 0, 63, 0, 0xECE9D8}, {0, 24, 63, 24, 0xECE9D8}, {0, 0, 0, 24, 0xECE9D8},
                {63, 0, 63, 24, 0xECE9D8}, {2, 2, 61, 22, 0xF5F4EA}});
    check_runs(disable, "button_disable.bmp", outline(1, 0xC9C7BA));
    check_corners_soft(disable, "button_disable.bmp", 1, 0xC9C7BA);
}

// --------------------------------------------------------------- marble --

void check_marble(const std::string& dir) {
    Bmp m;
    if (!load_bmp(dir, "marble.bmp", 563, 21, m)) return;
    int lo = 255, hi = 0;
    double sum = 0;
    for (uint32_t c : m.px)
        for (int i = 0; i < 3; ++i) {
            lo = std::min(lo, channel(c, i));
            hi = std::max(hi, channel(c, i));
            sum += channel(c, i);
        }
    double mean = sum / (m.px.size() * 3.0);
    expect(lo >= 160 && hi <= 224, "marble.bmp: components span " + std::to_string(lo) + ".." +
                                       std::to_string(hi) + ", expected within 160..224");
    expect(mean >= 201 && mean <= 211, "marble.bmp: mean " + std::to_string(mean) + ", expected about 206");
    expect(hi - lo >= 25, "marble.bmp: too flat to read as marble");

    // Stacked copies meet bottom row to top row: that step must look like any
    // other step between neighbouring rows.
    auto rowDiff = [&](int a, int b) {
        double d = 0;
        for (int x = 0; x < m.w; ++x)
            for (int i = 0; i < 3; ++i) d += std::abs(channel(m.at(x, a), i) - channel(m.at(x, b), i));
        return d / (m.w * 3);
    };
    double inside = 0;
    for (int y = 0; y + 1 < m.h; ++y) inside += rowDiff(y, y + 1);
    inside /= m.h - 1;
    double seam = rowDiff(m.h - 1, 0);
    expect(seam <= inside * 1.5 + 0.5, "marble.bmp: visible seam when tiled vertically (" +
                                           std::to_string(seam) + " vs " + std::to_string(inside) + ")");
}

// ----------------------------------------------------------------- icon --

void check_icon(const std::string& dir) {
    Bytes b;
    if (!read_file(dir + "/sorvane.ico", b)) {
        expect(false, "sorvane.ico: missing");
        return;
    }
    const size_t image = 40 + 256 * 4 + 32 * 32 + 4 * 32;
    bool ok = b.size() == 22 + image && get16(b, 0) == 0 && get16(b, 2) == 1 && get16(b, 4) == 1 &&
              b[6] == 32 && b[7] == 32 && b[8] == 0 && get16(b, 10) == 1 && get16(b, 12) == 8 &&
              get32(b, 14) == image && get32(b, 18) == 22;
    expect(ok, "sorvane.ico: expected one 32x32 8-bit image right after the directory");
    if (!ok) return;
    ok = get32(b, 22) == 40 && get32(b, 26) == 32 && get32(b, 30) == 64 && get16(b, 34) == 1 &&
         get16(b, 36) == 8 && get32(b, 38) == 0 && (get32(b, 54) == 0 || get32(b, 54) == 256);
    expect(ok, "sorvane.ico: bad BITMAPINFOHEADER (height must count the AND mask)");
    if (!ok) return;
    const size_t palette = 62, pixels = palette + 1024, mask = pixels + 1024;
    std::vector<bool> used(256, false);
    int black = 0, distinct = 0;
    for (size_t i = 0; i < 1024; ++i) {
        uint8_t idx = b[pixels + i];
        if (!used[idx]) ++distinct;
        used[idx] = true;
        if (get32(b, palette + idx * 4) == 0) ++black;
    }
    expect(distinct >= 32, "sorvane.ico: only " + std::to_string(distinct) + " colours in use");
    expect(black > 200 && black < 900, "sorvane.ico: should show coloured squares on black");
    bool opaque = true;
    for (size_t i = mask; i < b.size(); ++i) opaque &= b[i] == 0;
    expect(opaque, "sorvane.ico: AND mask should leave every pixel opaque");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: resgen_check <resources folder>\n");
        return 2;
    }
    const std::string dir = argv[1];

    JpegStats p0, p1, pv;
    check_jpeg(dir, "photo0.jpg", 512, 15000, 60000, p0);
    check_jpeg(dir, "photo1.jpg", 512, 15000, 60000, p1);
    check_jpeg(dir, "preview.jpg", 152, 1000, 25000, pv);
    for (const auto& [name, s] : {std::pair{"photo0.jpg", p0}, std::pair{"photo1.jpg", p1}}) {
        // Tinted copies over black only show what is bright and varied.
        expect(s.mean >= 80, std::string(name) + ": too dark (mean " + std::to_string(s.mean) + ")");
        expect(s.stddev >= 25, std::string(name) + ": too flat (deviation " + std::to_string(s.stddev) + ")");
        expect(s.topMean > s.bottomMean, std::string(name) + ": the brighter sky side should be on top");
    }
    expect(channel(pv.corner, 0) < 16 && channel(pv.corner, 1) < 16 && channel(pv.corner, 2) < 16,
           "preview.jpg: background should be black");
    expect(pv.mean > 15, "preview.jpg: squares missing");

    check_marble(dir);
    check_buttons(dir);
    check_icon(dir);

    if (failures == 0) std::printf("resources: all checks passed\n");
    return failures == 0 ? 0 : 1;
}
