// Deterministic random numbers and procedural noise. Everything here depends
// only on its seed, so the generated files come out identical on every run.
#pragma once

#include <cstdint>

namespace resgen {

// SplitMix64: tiny, fast and well spread; its own code, so no library's
// distribution details can change the output.
class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}
    uint64_t next();
    double uniform();  // [0, 1)
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }

private:
    uint64_t state_;
};

uint64_t hash64(uint64_t x);

// 2-D gradient noise, roughly in [-0.7, 0.7], smooth, with lattice cells of
// size 1. A non-zero period makes it repeat every that many cells along the axis.
class Noise {
public:
    explicit Noise(uint64_t seed) : seed_(seed) {}
    double at(double x, double y, int periodX = 0, int periodY = 0) const;

private:
    double grad(int64_t ix, int64_t iy, double dx, double dy) const;
    uint64_t seed_;
};

// Fractal sum of octaves, normalised to about [-0.7, 0.7]. Periods, when
// given, are for the first octave and double with each further one.
double fbm(const Noise& n, double x, double y, int octaves, int periodX = 0, int periodY = 0);
// Sum of |noise| over octaves: creased, vein-like, in about [0, 1].
double turbulence(const Noise& n, double x, double y, int octaves, int periodX = 0,
                  int periodY = 0);

// Cellular noise: distance to the nearest of one jittered point per unit cell,
// and that point's own random value in [0, 1).
struct Cell {
    double dist;
    double value;
};
Cell worley(double x, double y, uint64_t seed);

}  // namespace resgen
