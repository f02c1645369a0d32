#include "noise.h"

#include <cmath>

namespace resgen {

uint64_t hash64(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

uint64_t Rng::next() {
    state_ += 0x9E3779B97F4A7C15ull;
    uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Rng::uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }

namespace {

uint64_t lattice_hash(uint64_t seed, int64_t ix, int64_t iy) {
    return hash64(seed ^ hash64(uint64_t(ix) * 0x632BE59BD9B4E019ull + uint64_t(iy)));
}

int64_t wrap(int64_t i, int period) {
    if (period <= 0) return i;
    int64_t m = i % period;
    return m < 0 ? m + period : m;
}

double fade(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }

}  // namespace

double Noise::grad(int64_t ix, int64_t iy, double dx, double dy) const {
    // 16 evenly spread gradient directions.
    static const double kDirs[16][2] = {
        {1, 0}, {0.9239, 0.3827}, {0.7071, 0.7071}, {0.3827, 0.9239},
        {0, 1}, {-0.3827, 0.9239}, {-0.7071, 0.7071}, {-0.9239, 0.3827},
        {-1, 0}, {-0.9239, -0.3827}, {-0.7071, -0.7071}, {-0.3827, -0.9239},
        {0, -1}, {0.3827, -0.9239}, {0.7071, -0.7071}, {0.9239, -0.3827}};
    const double* g = kDirs[lattice_hash(seed_, ix, iy) & 15];
    return g[0] * dx + g[1] * dy;
}

double Noise::at(double x, double y, int periodX, int periodY) const {
    double fx = std::floor(x), fy = std::floor(y);
    int64_t ix = int64_t(fx), iy = int64_t(fy);
    double dx = x - fx, dy = y - fy;
    int64_t x0 = wrap(ix, periodX), x1 = wrap(ix + 1, periodX);
    int64_t y0 = wrap(iy, periodY), y1 = wrap(iy + 1, periodY);
    double n00 = grad(x0, y0, dx, dy);
    double n10 = grad(x1, y0, dx - 1, dy);
    double n01 = grad(x0, y1, dx, dy - 1);
    double n11 = grad(x1, y1, dx - 1, dy - 1);
    double u = fade(dx), v = fade(dy);
    double a = n00 + (n10 - n00) * u;
    double b = n01 + (n11 - n01) * u;
    return a + (b - a) * v;
}

double fbm(const Noise& n, double x, double y, int octaves, int periodX, int periodY) {
    double sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        // Offsets keep the octaves from sharing a lattice origin.
        sum += amp * n.at(x + o * 17.31, y + o * 9.73, periodX, periodY);
        norm += amp;
        amp *= 0.5;
        x *= 2;
        y *= 2;
        periodX *= 2;
        periodY *= 2;
    }
    return sum / norm;
}

double turbulence(const Noise& n, double x, double y, int octaves, int periodX, int periodY) {
    double sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * std::fabs(n.at(x + o * 17.31, y + o * 9.73, periodX, periodY));
        norm += amp;
        amp *= 0.5;
        x *= 2;
        y *= 2;
        periodX *= 2;
        periodY *= 2;
    }
    return sum / norm * 2.0;
}

Cell worley(double x, double y, uint64_t seed) {
    int64_t cx = int64_t(std::floor(x)), cy = int64_t(std::floor(y));
    Cell best{1e9, 0};
    for (int j = -1; j <= 1; ++j) {
        for (int i = -1; i <= 1; ++i) {
            uint64_t h = lattice_hash(seed, cx + i, cy + j);
            double px = double(cx + i) + double(h & 0xFFFF) / 65536.0;
            double py = double(cy + j) + double((h >> 16) & 0xFFFF) / 65536.0;
            double d = std::hypot(x - px, y - py);
            if (d < best.dist) best = {d, double((h >> 32) & 0xFFFF) / 65536.0};
        }
    }
    return best;
}

}  // namespace resgen
