#include "raster.h"

#include <algorithm>
#include <cmath>

#include "noise.h"

namespace resgen {

Rgb hex(uint32_t c) {
    return {((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0};
}

Rgb mix(Rgb a, Rgb b, double t) { return a + (b - a) * t; }

Rgb screen(Rgb a, Rgb b) {
    return {1 - (1 - a.r) * (1 - b.r), 1 - (1 - a.g) * (1 - b.g), 1 - (1 - a.b) * (1 - b.b)};
}

double clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

double smoothstep(double e0, double e1, double x) {
    double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

double lerp(double a, double b, double t) { return a + (b - a) * t; }

Rgb ramp(const std::vector<RampStop>& stops, double t) {
    if (t <= stops.front().t) return stops.front().c;
    for (size_t i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].t) {
            double f = (t - stops[i - 1].t) / (stops[i].t - stops[i - 1].t);
            return mix(stops[i - 1].c, stops[i].c, f);
        }
    }
    return stops.back().c;
}

void Image8::set(int x, int y, uint32_t c) {
    uint8_t* p = at(x, y);
    p[0] = uint8_t(c >> 16);
    p[1] = uint8_t(c >> 8);
    p[2] = uint8_t(c);
}

uint32_t Image8::get(int x, int y) const {
    const uint8_t* p = at(x, y);
    return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
}

void render(Image& img, int ss, const std::function<Rgb(double, double)>& shade) {
    const double inv = 1.0 / ss;
    const double norm = 1.0 / (ss * ss);
    for (int y = 0; y < img.h; ++y) {
        for (int x = 0; x < img.w; ++x) {
            Rgb sum;
            for (int j = 0; j < ss; ++j)
                for (int i = 0; i < ss; ++i)
                    sum = sum + shade(x + (i + 0.5) * inv, y + (j + 0.5) * inv);
            img.at(x, y) = sum * norm;
        }
    }
}

void add_grain(Image& img, double sigma, uint64_t seed) {
    Rng rng(seed);
    for (Rgb& p : img.px) {
        // Sum of uniforms: close enough to a bell curve for grain.
        double l = (rng.uniform() + rng.uniform() + rng.uniform() - 1.5) * 2.0 * sigma;
        double c = (rng.uniform() - 0.5) * 0.6 * sigma;
        p = p + Rgb{l + c, l, l - c};
    }
}

Image8 quantize(const Image& img) {
    Image8 out(img.w, img.h);
    for (size_t i = 0; i < img.px.size(); ++i) {
        const Rgb& p = img.px[i];
        out.rgb[i * 3 + 0] = uint8_t(std::lround(clamp01(p.r) * 255.0));
        out.rgb[i * 3 + 1] = uint8_t(std::lround(clamp01(p.g) * 255.0));
        out.rgb[i * 3 + 2] = uint8_t(std::lround(clamp01(p.b) * 255.0));
    }
    return out;
}

}  // namespace resgen
