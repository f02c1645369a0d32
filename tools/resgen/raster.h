// Small raster toolkit for the resource generator: colours in 0..1 doubles
// while drawing, 8-bit RGB once a picture is finished.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace resgen {

struct Rgb {
    double r = 0, g = 0, b = 0;
};

inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator-(Rgb a, Rgb b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
inline Rgb operator*(Rgb a, double s) { return {a.r * s, a.g * s, a.b * s}; }
inline Rgb operator*(double s, Rgb a) { return a * s; }
inline Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }

// 0xRRGGBB to a 0..1 colour.
Rgb hex(uint32_t rrggbb);
Rgb mix(Rgb a, Rgb b, double t);
// Screen blend: brightens like light added through a lens, never exceeds 1.
Rgb screen(Rgb a, Rgb b);

double clamp01(double v);
double smoothstep(double e0, double e1, double x);
double lerp(double a, double b, double t);

// Piecewise-linear colour ramp over t in [0, 1].
struct RampStop {
    double t;
    Rgb c;
};
Rgb ramp(const std::vector<RampStop>& stops, double t);

// Finished 8-bit picture, rows top to bottom, bytes R, G, B.
struct Image8 {
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;

    Image8() = default;
    Image8(int width, int height) : w(width), h(height), rgb(size_t(width) * height * 3, 0) {}
    uint8_t* at(int x, int y) { return &rgb[(size_t(y) * w + x) * 3]; }
    const uint8_t* at(int x, int y) const { return &rgb[(size_t(y) * w + x) * 3]; }
    void set(int x, int y, uint32_t rrggbb);
    uint32_t get(int x, int y) const;
};

// Picture being drawn, rows top to bottom.
struct Image {
    int w = 0, h = 0;
    std::vector<Rgb> px;

    Image() = default;
    Image(int width, int height) : w(width), h(height), px(size_t(width) * height) {}
    Rgb& at(int x, int y) { return px[size_t(y) * w + x]; }
    const Rgb& at(int x, int y) const { return px[size_t(y) * w + x]; }
};

// Fills every pixel with the mean of ss x ss samples of shade(x, y), taken at
// evenly spaced points inside the pixel (pixel (0,0) spans [0,1) x [0,1)).
void render(Image& img, int ss, const std::function<Rgb(double x, double y)>& shade);

// Adds fine, mostly luminance grain, the same for the same seed.
void add_grain(Image& img, double sigma, uint64_t seed);

// Rounds and clamps to 8 bits.
Image8 quantize(const Image& img);

}  // namespace resgen
