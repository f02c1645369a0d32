// A still of the show: tinted copies of a photograph spinning around a centre,
// added together over black the way the show blends them.
#include <algorithm>
#include <cmath>
#include <vector>

#include "artwork.h"
#include "noise.h"

namespace resgen {

namespace {

struct Square {
    double x, y;      // centre, pixels
    double half;      // half side, pixels
    double cosA, sinA;
    Rgb tint;         // 0..1 per channel
};

// Halves the picture with a 2x2 box until its side is at most `target`, so
// that bilinear sampling of a small square does not alias.
Image shrink_for(const Image8& photo, double target) {
    Image cur(photo.w, photo.h);
    for (int y = 0; y < photo.h; ++y)
        for (int x = 0; x < photo.w; ++x) {
            const uint8_t* p = photo.at(x, y);
            cur.at(x, y) = {p[0] / 255.0, p[1] / 255.0, p[2] / 255.0};
        }
    while (cur.w > target && cur.w % 2 == 0 && cur.h % 2 == 0) {
        Image half(cur.w / 2, cur.h / 2);
        for (int y = 0; y < half.h; ++y)
            for (int x = 0; x < half.w; ++x)
                half.at(x, y) = (cur.at(2 * x, 2 * y) + cur.at(2 * x + 1, 2 * y) +
                                 cur.at(2 * x, 2 * y + 1) + cur.at(2 * x + 1, 2 * y + 1)) * 0.25;
        cur = std::move(half);
    }
    return cur;
}

Rgb bilinear(const Image& img, double s, double t) {
    // s, t in [0, 1] across the picture, t from the top row.
    double fx = std::clamp(s * img.w - 0.5, 0.0, img.w - 1.0);
    double fy = std::clamp(t * img.h - 0.5, 0.0, img.h - 1.0);
    int x0 = int(fx), y0 = int(fy);
    int x1 = std::min(x0 + 1, img.w - 1), y1 = std::min(y0 + 1, img.h - 1);
    double ax = fx - x0, ay = fy - y0;
    Rgb top = mix(img.at(x0, y0), img.at(x1, y0), ax);
    Rgb bottom = mix(img.at(x0, y1), img.at(x1, y1), ax);
    return mix(top, bottom, ay);
}

}  // namespace

Image8 draw_show_still(const Image8& photo, const SwarmLook& look) {
    const int ss = 4;
    Image tex = shrink_for(photo, look.maxSide * ss);
    Rng rng(look.seed);
    const double c = look.size / 2.0;
    std::vector<Square> squares;
    for (int i = 0; i < look.count; ++i) {
        // Spread evenly over the disc of orbits, from the centre to the rim.
        double r0 = look.minRadius * look.minRadius, r1 = look.maxRadius * look.maxRadius;
        double r = look.size * std::sqrt(r0 + (r1 - r0) * (i + rng.uniform()) / look.count);
        double a = rng.range(0, 2 * 3.14159265358979323846);
        double spin = rng.range(0, 2 * 3.14159265358979323846);
        double side = rng.range(look.minSide, look.maxSide);
        Rgb tint;
        tint.r = std::floor(256 * rng.uniform()) / 255.0;
        tint.g = std::floor(256 * rng.uniform()) / 255.0;
        tint.b = std::floor(256 * rng.uniform()) / 255.0;
        squares.push_back({c + r * std::cos(a), c - r * std::sin(a), side / 2, std::cos(spin),
                           std::sin(spin), tint});
    }

    Image img(look.size, look.size);
    render(img, ss, [&](double px, double py) {
        Rgb sum;
        for (const Square& q : squares) {
            // Screen offset with y up, turned back into the square's own frame.
            double X = (px - q.x) / q.half, Y = (q.y - py) / q.half;
            double u = X * q.cosA + Y * q.sinA;
            double v = -X * q.sinA + Y * q.cosA;
            if (u < -1 || u > 1 || v < -1 || v > 1) continue;
            // (-1, -1) carries the photograph's bottom-left corner.
            sum = sum + bilinear(tex, (u + 1) / 2, (1 - v) / 2) * q.tint;
        }
        // Additive blending saturates per channel.
        return Rgb{std::min(sum.r, 1.0), std::min(sum.g, 1.0), std::min(sum.b, 1.0)};
    });
    return quantize(img);
}

}  // namespace resgen
