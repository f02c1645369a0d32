// The two built-in photographs: a flower close-up and a coast at sunset.
// Every square of the show multiplies the photograph by a random tint, so both
// are kept bright and busy across the whole frame, and both read upright.
#include <cmath>
#include <vector>

#include "artwork.h"
#include "noise.h"

namespace resgen {

namespace {

constexpr int kSide = 512;
constexpr double kPi = 3.14159265358979323846;

// Straight-edged coverage of a sample at signed distance d inside an edge,
// smoothed over about one pixel.
double coverage(double d) { return clamp01(d + 0.5); }

// ---------------------------------------------------------------- flower --

struct Disc {
    double x, y, r, strength;
    Rgb c;
};

struct Petal {
    double angle, length, width, curl, seed;
};

struct Leaf {
    double bx, by, angle, length, width, bend;
};

struct Flower {
    Noise bg{11}, fine{12}, petalNoise{13}, leafNoise{14};
    std::vector<Disc> discs;
    std::vector<Petal> outer, inner;
    std::vector<Leaf> leaves;
    double cx = 262, cy = 222;   // centre of the bloom
    double rc = 50;              // radius of the flower's heart
    const double lightX = -0.7071, lightY = -0.7071;  // light from the top left

    Flower() {
        Rng rng(0x5EED0001);
        const Rgb bokehColours[] = {{1.0, 0.96, 0.62}, {0.74, 0.97, 0.52}, {1.0, 1.0, 0.9},
                                    {1.0, 0.66, 0.82}, {0.45, 0.92, 0.82}};
        for (int i = 0; i < 48; ++i) {
            Disc d;
            d.x = rng.range(-30, 542);
            d.y = rng.range(-30, 450) * (0.55 + 0.45 * rng.uniform());
            d.r = rng.range(9, 40);
            d.strength = rng.range(0.12, 0.38);
            d.c = bokehColours[rng.next() % 5];
            discs.push_back(d);
        }
        const int n = 11;
        for (int k = 0; k < n; ++k) {
            outer.push_back({2 * kPi * k / n + rng.range(-0.08, 0.08), rng.range(182, 204),
                             rng.range(47, 55), rng.range(-0.12, 0.12), rng.range(0, 100)});
        }
        for (int k = 0; k < n; ++k) {
            inner.push_back({2 * kPi * (k + 0.5) / n + rng.range(-0.07, 0.07),
                             rng.range(128, 146), rng.range(40, 46), rng.range(-0.1, 0.1),
                             rng.range(0, 100)});
        }
        leaves.push_back({238, 478, std::atan2(352 - 478.0, -20 - 238.0), 300, 64, 0.0011});
        leaves.push_back({250, 440, std::atan2(318 - 440.0, 540 - 250.0), 290, 58, -0.0012});
        leaves.push_back({246, 520, std::atan2(420 - 520.0, 470 - 246.0), 220, 44, -0.0016});
    }

    Rgb background(double x, double y) const {
        Rgb c = ramp({{0.0, {0.80, 0.90, 0.56}},
                      {0.35, {0.46, 0.72, 0.34}},
                      {0.7, {0.22, 0.48, 0.22}},
                      {1.0, {0.10, 0.30, 0.13}}},
                     y / kSide);
        // Out-of-focus foliage and sky patches.
        double n1 = fbm(bg, x / 150, y / 150, 4);
        double n2 = fbm(bg, x / 90 + 40, y / 90 + 11, 3);
        c = mix(c, Rgb{0.25, 0.58, 0.52}, smoothstep(0.05, 0.4, n1) * 0.45);
        c = mix(c, Rgb{0.95, 0.88, 0.42}, smoothstep(0.1, 0.45, n2) * 0.4 * (1 - y / 700));
        c = c * (0.9 + 0.25 * n1);
        for (const Disc& d : discs) {
            double dist = std::hypot(x - d.x, y - d.y);
            if (dist > d.r + 2) continue;
            double body = 1 - smoothstep(d.r - 2.5, d.r + 1.5, dist);
            double rim = smoothstep(d.r - 7, d.r - 1, dist) * body * 0.45;
            double grain = 0.9 + 0.1 * fine.at(x / 7 + d.x, y / 7);
            c = screen(c, d.c * (d.strength * (body * grain + rim)));
        }
        return c;
    }

    // Stem: centre line x(y) falling from the bloom to the bottom edge.
    void stem(double x, double y, Rgb& c) const {
        if (y < cy) return;
        double t = (y - cy) / (kSide - cy);
        double sx = cx - 22 * std::pow(t, 1.4) + 3 * std::sin(t * 5);
        double half = 6 + 2 * t;
        double d = std::fabs(x - sx);
        double cov = coverage(half - d);
        if (cov <= 0) return;
        double s = clamp01(d / half);
        double side = (x < sx) ? 1.1 : 0.8;
        Rgb g = Rgb{0.30, 0.58, 0.18} * ((0.55 + 0.5 * std::sqrt(1 - s * s)) * side);
        c = mix(c, g, cov);
    }

    void leaf(const Leaf& L, double x, double y, Rgb& c) const {
        double dx = x - L.bx, dy = y - L.by;
        double ca = std::cos(L.angle), sa = std::sin(L.angle);
        double u = dx * ca + dy * sa;
        double v = -dx * sa + dy * ca;
        if (u < -2 || u > L.length + 2) return;
        v -= L.bend * u * u;  // curve the leaf along its length
        double t = clamp01(u / L.length);
        double w = L.width * std::pow(std::sin(kPi * std::pow(t, 0.8)), 0.8);
        w *= 1 + 0.05 * leafNoise.at(u / 9, L.bx);  // slightly ragged edge
        double cov = coverage(w - std::fabs(v)) * coverage(u) * coverage(L.length - u);
        if (cov <= 0) return;
        double vv = v / std::max(w, 1e-6);
        Rgb g = mix(Rgb{0.16, 0.45, 0.12}, Rgb{0.46, 0.74, 0.22}, t);
        g = g * ((v < 0) ? 1.12 : 0.82);                  // the leaf is folded along its rib
        g = g * (0.78 + 0.22 * std::sqrt(clamp01(1 - vv * vv)));
        double rib = std::exp(-(v / 2.4) * (v / 2.4));
        g = mix(g, Rgb{0.75, 0.88, 0.48}, 0.55 * rib);
        double phase = (u - std::fabs(v) * 1.3) / 19.0;
        double vein = smoothstep(0.86, 1.0, std::cos(2 * kPi * phase)) *
                      smoothstep(0.06, 0.3, std::fabs(vv)) * (1 - smoothstep(0.8, 1, std::fabs(vv)));
        g = mix(g, Rgb{0.62, 0.82, 0.4}, 0.3 * vein);
        g = g * (0.92 + 0.16 * fbm(leafNoise, x / 5, y / 5, 3));
        // Gloss where the blade turns toward the light.
        g = g + Rgb{0.2, 0.22, 0.12} * (0.25 * smoothstep(0.2, 0.6, -vv) * smoothstep(0.1, 0.5, t) *
                                       smoothstep(0.95, 0.6, t));
        c = mix(c, g, cov);
    }

    struct PetalFrame {
        double u, v, w, t;
    };

    PetalFrame petal_frame(const Petal& p, double x, double y) const {
        double dx = x - cx, dy = y - cy;
        double ca = std::cos(p.angle), sa = std::sin(p.angle);
        double u = dx * ca + dy * sa;
        double v = -dx * sa + dy * ca;
        v -= p.curl * u * u / p.length;
        // A shallow notch at the tip.
        double len = p.length * (1 - 0.06 * std::exp(-std::pow(v / (0.3 * p.width), 2)));
        double t = u / len;
        double tc = clamp01(t);
        double w = p.width * std::pow(tc, 0.5) * std::pow(clamp01(1 - std::pow(tc, 2.6)), 0.45) * 1.2;
        w *= 1 + 0.07 * petalNoise.at(tc * 5 + p.seed, p.seed);  // ruffled rim
        return {u, v, w, t};
    }

    void petal(const Petal& p, bool innerLayer, double x, double y, Rgb& c) const {
        // Soft shadow thrown down and to the right onto what lies beneath.
        PetalFrame s = petal_frame(p, x - 5, y - 6);
        if (s.t > -0.05 && s.t < 1.1) {
            double sh = smoothstep(s.w + 16, s.w - 4, std::fabs(s.v)) * smoothstep(-0.05, 0.12, s.t) *
                        smoothstep(1.1, 0.9, s.t);
            c = c * (1 - 0.38 * sh);
        }
        PetalFrame f = petal_frame(p, x, y);
        if (f.t < 0 || f.t > 1.02) return;
        double cov = coverage(f.w - std::fabs(f.v)) * coverage(f.u);
        if (cov <= 0) return;
        double vv = clamp01(std::fabs(f.v) / std::max(f.w, 1e-6));
        double t = clamp01(f.t);
        Rgb col = innerLayer ? ramp({{0.0, {0.62, 0.06, 0.34}},
                                     {0.3, {0.92, 0.26, 0.58}},
                                     {0.65, {1.0, 0.52, 0.74}},
                                     {1.0, {1.0, 0.8, 0.9}}},
                                    t)
                             : ramp({{0.0, {0.5, 0.04, 0.3}},
                                     {0.3, {0.84, 0.16, 0.5}},
                                     {0.65, {0.96, 0.4, 0.66}},
                                     {1.0, {1.0, 0.7, 0.85}}},
                                    t);
        // Fine veins running from base to tip.
        double veins = 0.5 + 0.5 * std::cos(f.v / std::max(f.w, 1e-6) * kPi * 8 +
                                            2.0 * fbm(petalNoise, x / 40, y / 40, 2));
        col = col * (1 - 0.12 * veins * smoothstep(0.05, 0.35, t));
        col = col * (0.94 + 0.12 * fbm(fine, x / 6, y / 6, 3));
        // Cupped petal: the middle bulges toward the light, the crease stays dark.
        col = col * (0.7 + 0.3 * std::sqrt(clamp01(1 - vv * vv)));
        col = col * (1 - 0.15 * std::exp(-std::pow(vv / 0.07, 2)) * t);
        double facing = std::cos(p.angle) * lightX + std::sin(p.angle) * lightY;
        col = col * (0.9 + 0.14 * facing);
        // Thin rims let light through.
        col = col + Rgb{0.2, 0.12, 0.14} * smoothstep(0.78, 0.98, vv) * smoothstep(0.3, 0.7, t);
        col = col * (0.5 + 0.5 * smoothstep(0.0, 0.28, t));
        c = mix(c, col, cov);
    }

    void heart(double x, double y, Rgb& c) const {
        double dx = x - cx, dy = y - cy;
        double d = std::hypot(dx, dy);
        // Contact shadow around the heart.
        c = c * (1 - 0.45 * smoothstep(rc + 16, rc - 2, d));
        // Stamens: slim filaments ending in pollen-laden anthers.
        double a = std::atan2(dy, dx);
        if (d > rc - 4 && d < rc + 22) {
            const int n = 42;
            double k = std::floor(a / (2 * kPi) * n + 0.5);
            double ak = k * 2 * kPi / n + 0.03 * std::sin(k * 7.1);
            double reach = rc + 12 + 6 * (0.5 + 0.5 * std::sin(k * 3.7));
            double across = std::remainder(a - ak, 2 * kPi) * d;
            double fil = coverage(1.0 - std::fabs(across)) * coverage(reach - d);
            c = mix(c, Rgb{0.98, 0.86, 0.45}, 0.9 * fil);
            double ad = std::hypot(across, d - reach);
            double anther = coverage(3.0 - ad);
            c = mix(c, Rgb{1.0, 0.68, 0.1} * (1.1 - 0.1 * ad), anther);
        }
        double r = rc * (1 + 0.03 * petalNoise.at(a * 3 + 50, 0.5));
        double cov = coverage(r - d);
        if (cov <= 0) return;
        double t = clamp01(d / r);
        Rgb col = ramp({{0.0, {0.5, 0.22, 0.02}},
                        {0.4, {0.88, 0.45, 0.04}},
                        {0.75, {1.0, 0.72, 0.1}},
                        {1.0, {1.0, 0.86, 0.28}}},
                       t);
        // Packed florets: small raised domes.
        Cell cell = worley(x / 6.5, y / 6.5, 77);
        double bump = 1 - smoothstep(0.0, 0.62, cell.dist);
        col = col * (0.62 + 0.5 * bump);
        Cell speck = worley(x / 2.5, y / 2.5, 78);
        if (speck.value > 0.85) col = mix(col, Rgb{1.0, 0.95, 0.5}, 0.6 * (1 - smoothstep(0.1, 0.35, speck.dist)));
        // Domed heart lit from the top left.
        double nz = std::sqrt(clamp01(1 - t * t));
        double lambert = nz * 0.7 + (-(dx / r) * lightX - (dy / r) * lightY) * -0.45;
        col = col * (0.62 + 0.5 * clamp01(lambert));
        c = mix(c, col, cov);
    }

    Rgb shade(double x, double y) const {
        Rgb c = background(x, y);
        for (const Leaf& L : leaves) leaf(L, x, y, c);
        stem(x, y, c);
        for (const Petal& p : outer) petal(p, false, x, y, c);
        for (const Petal& p : inner) petal(p, true, x, y, c);
        heart(x, y, c);
        // A faint lens vignette.
        double vx = x / kSide - 0.5, vy = y / kSide - 0.5;
        return c * (1 - 0.35 * (vx * vx + vy * vy));
    }
};

// ----------------------------------------------------------------- coast --

struct Coast {
    Noise sky{21}, cloud{22}, sea{23}, rock{24}, fine{25};
    double horizon = 300;
    double sunX = 338, sunY = 258, sunR = 24;

    Rgb sky_gradient(double x, double y) const {
        double t = y / horizon;
        Rgb c = ramp({{0.0, {0.2, 0.13, 0.4}},
                      {0.3, {0.46, 0.21, 0.52}},
                      {0.56, {0.88, 0.38, 0.52}},
                      {0.8, {1.0, 0.56, 0.34}},
                      {1.0, {1.0, 0.77, 0.44}}},
                     t);
        c = c * (1 + 0.22 * std::exp(-std::pow((x - sunX) / 230, 2)) * t);
        double d = std::hypot(x - sunX, y - sunY);
        Rgb glow = Rgb{1.0, 0.74, 0.45} * (0.6 * std::exp(-d / 42) + 0.32 * std::exp(-d / 150));
        return screen(c, glow);
    }

    Rgb sky_with_clouds(double x, double y) const {
        Rgb c = sky_gradient(x, y);
        double d = std::hypot(x - sunX, y - sunY);
        c = mix(c, Rgb{1.0, 0.97, 0.86}, coverage(sunR - d));
        double env = smoothstep(0, 50, y) * smoothstep(268, 205, y);
        if (env <= 0) return c;
        // Long, thin bands of cloud, stretched sideways.
        double n = fbm(cloud, x / 190 + 3, y / 24, 6);
        double band = 0.12 * std::sin(y / 21.0 + 1.3);
        double density = n + band + 0.04;
        double cov = smoothstep(0.0, 0.26, density) * env;
        if (cov <= 0) return c;
        double thin = 1 - smoothstep(0.05, 0.4, density);
        double lit = 0.3 + 0.7 * std::exp(-d / 240);
        Rgb base{0.4, 0.2, 0.42};
        Rgb bright{1.0, 0.64, 0.5};
        Rgb col = mix(base, bright, clamp01(lit * (0.55 + 0.7 * thin) * (0.6 + 0.6 * y / horizon)));
        col = col * (0.9 + 0.2 * fbm(fine, x / 8, y / 4, 3));
        return mix(c, col, cov * 0.92);
    }

    // Upper edge of the headland on the left, in image rows (smaller is higher):
    // a high plateau that breaks off in a steep cliff towards the sea.
    double headland_top(double x) const {
        double h = (128 + 48 * clamp01(1 - x / 300)) * std::pow(smoothstep(292, 196, x), 0.55);
        h += (14 * fbm(rock, x / 45, 3.5, 3) + 4 * fbm(rock, x / 7, 5.5, 2)) * smoothstep(292, 250, x);
        // A sea stack standing off the point.
        double stack = 34 * std::pow(clamp01(1 - std::pow((x - 296) / 11, 2)), 0.3) *
                       (1 + 0.25 * fbm(rock, x / 5, 9.5, 2));
        return horizon - std::max(h, stack);
    }

    // Where the headland meets the water: nearer parts sit lower in the frame.
    double waterline(double x) const {
        return horizon + 24 * std::pow(clamp01(1 - x / 330), 1.3) + 2 * fbm(rock, x / 20, 8.1, 3);
    }

    double foreground_top(double x) const {
        double h = 92 * std::pow(clamp01(1 - x / 240), 0.7) + 12 * fbm(rock, x / 30, 14.2, 4) +
                   4 * fbm(rock, x / 6, 4.2, 2);
        h += 30 * std::exp(-std::pow((x - 468) / 38, 2)) * (1 + 0.3 * fbm(rock, x / 15, 2, 3));
        return kSide - h;
    }

    // Layered sandstone, cracked, lit warm by the low sun from the right.
    Rgb rock_colour(double x, double y, double top, double sunSide) const {
        double layer = fbm(rock, x / 220, (y + 0.22 * x) / 7, 4);
        Rgb c = mix(Rgb{0.32, 0.17, 0.2}, Rgb{0.5, 0.29, 0.27}, smoothstep(-0.3, 0.3, layer));
        c = c * (0.75 + 0.45 * fbm(rock, x / 11, y / 11, 5));
        double crack = std::fabs(fbm(rock, x / 16 + 7, y / 70, 3));
        c = c * (0.78 + 0.22 * smoothstep(0.0, 0.025, crack));
        c = c + Rgb{0.42, 0.2, 0.08} * sunSide;
        // Scrub on the crest.
        c = mix(c, Rgb{0.22, 0.25, 0.12}, 0.75 * smoothstep(12, 3, y - top));
        // The crest catches the last light.
        double rim = std::exp(-(y - top) / 4.5);
        return c + Rgb{1.0, 0.55, 0.3} * (0.5 * rim);
    }

    Rgb water(double x, double y) const {
        double p = (y - horizon) / (kSide - horizon);
        double z = 1 / (p + 0.025);
        double wx = (x - 256) * z / 64;
        double wz = z * 1.6;
        double w = fbm(sea, wx / 3.2, wz, 5);
        double w2 = fbm(sea, wx / 3.2, wz + 0.35, 5);
        double slope = w2 - w;
        // Mirror image of the sky, shaken by the waves.
        double my = horizon - (y - horizon) * 1.35 + slope * 260 * (0.3 + p);
        Rgb refl = sky_gradient(x + slope * 60, std::max(my, 0.0));
        Rgb deep{0.14, 0.1, 0.3};
        Rgb c = mix(refl * 0.78, deep, 0.55 * smoothstep(0, 1, p));
        c = c * (0.82 + 0.6 * w);
        // The sun's path across the water.
        double path = std::exp(-std::pow((x - sunX) / (14 + 150 * p), 2));
        double sparkle = smoothstep(0.08, 0.3, w + 0.15 * fine.at(x / 3, y / 2));
        c = c + Rgb{1.0, 0.8, 0.5} * (path * (0.25 + 1.1 * sparkle));
        // Haze along the horizon.
        return mix(c, Rgb{1.0, 0.72, 0.5}, 0.5 * std::exp(-p * 28));
    }

    Rgb shade(double x, double y) const {
        Rgb c;
        if (y < horizon) {
            c = sky_with_clouds(x, y);
            // Far island on the right, pale in the haze.
            double isl = horizon - (18 * smoothstep(392, 430, x) + 8 * smoothstep(440, 512, x) +
                                    5 * fbm(rock, x / 18, 30, 3)) * smoothstep(380, 400, x);
            c = mix(c, mix(Rgb{0.52, 0.3, 0.46}, Rgb{0.7, 0.42, 0.45}, smoothstep(isl, horizon, y)),
                    coverage(y - isl) * smoothstep(380, 392, x));
        } else {
            c = water(x, y);
        }
        // The headland and its wavering reflection.
        double top = headland_top(x);
        double wl = waterline(x);
        if (x < 320) {
            double cov = coverage(y - top) * coverage(wl - y);
            if (cov > 0) {
                Rgb r = rock_colour(x, y, top, 0.35 * smoothstep(150, 330, x));
                r = mix(r, Rgb{0.62, 0.36, 0.46}, 0.4 * smoothstep(150, 330, x));  // haze
                c = mix(c, r, cov);
            }
            if (y >= wl) {
                double p = (y - horizon) / (kSide - horizon);
                double ripple = 7 * fbm(sea, x / 90 / (p + 0.05), 1.2 / (p + 0.025), 3) / (0.3 + p);
                double xr = x + ripple;
                double mirror = 2 * waterline(xr) - headland_top(xr);
                double fade = 0.7 * (1 - 0.5 * smoothstep(0, 220, y - wl));
                c = mix(c, c * Rgb{0.42, 0.3, 0.4}, fade * coverage(mirror - y));
                double foam = std::exp(-(y - wl) / 2.2) * (0.6 + 0.6 * fbm(fine, x / 6, y / 3, 3));
                c = c + Rgb{1.0, 0.86, 0.8} * (0.7 * foam * coverage(y - wl));
            }
        }
        // Wet rocks in the foreground.
        double ft = foreground_top(x);
        double fcov = coverage(y - ft);
        if (fcov > 0) {
            Rgb r = rock_colour(x, y, ft, 0.15) * 0.85;
            double wet = smoothstep(0.25, 0.5, fbm(fine, x / 16, y / 10, 4));
            r = r + Rgb{0.8, 0.45, 0.3} * (0.3 * wet);
            c = mix(c, r, fcov);
        }
        return c;
    }
};

Image8 finish(Image& img, uint64_t grainSeed) {
    add_grain(img, 0.012, grainSeed);
    return quantize(img);
}

}  // namespace

Image8 draw_flower() {
    Flower f;
    Image img(kSide, kSide);
    render(img, 3, [&](double x, double y) { return f.shade(x, y); });
    return finish(img, 0xF10E);
}

Image8 draw_coast() {
    Coast s;
    Image img(kSide, kSide);
    render(img, 3, [&](double x, double y) { return s.shade(x, y); });
    return finish(img, 0xC0A5);
}

}  // namespace resgen
