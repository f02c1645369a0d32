// The light-grey marble tile behind the settings dialog's panels. The panels
// stack it in 21-pixel rows, so every noise term repeats exactly every 21 rows
// and the bottom row runs on into the top row of the next copy.
#include <algorithm>
#include <cmath>

#include "artwork.h"
#include "noise.h"

namespace resgen {

namespace {
constexpr int kW = 563, kH = 21;
constexpr double kPi = 3.14159265358979323846;
}  // namespace

Image8 draw_marble() {
    Noise warp(31), veinNoise(32), cloud(33);
    Image8 img(kW, kH);
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            // One lattice cell spans the tile's height: periodic in y.
            double ny = double(y) / kH;
            double t = turbulence(warp, x / 48.0, ny * 2, 5, 0, 2);
            double cl = fbm(cloud, x / 90.0, ny, 4, 0, 1);
            // Main veins lean across the tile; thin secondary veins cross them.
            double main = std::fabs(std::sin(x / 563.0 * 2 * kPi * 4.5 + 2 * kPi * ny + 4.2 * t));
            double thin = std::fabs(std::sin(x / 563.0 * 2 * kPi * 11 - 2 * kPi * ny * 2 +
                                             6.0 * fbm(veinNoise, x / 30.0, ny * 3, 4, 0, 3)));
            double vein = std::pow(1 - main, 6) * 44 + std::pow(1 - thin, 12) * 16;
            double v = 210.5 + 9 * cl - vein;
            v = std::clamp(v, 161.0, 223.0);
            // A hint of cool tone in the veins, as in real Carrara.
            double r = v - 0.03 * vein, g = v, b = std::min(223.0, v + 0.05 * vein + 1);
            uint8_t* p = img.at(x, y);
            p[0] = uint8_t(std::lround(std::clamp(r, 160.0, 224.0)));
            p[1] = uint8_t(std::lround(std::clamp(g, 160.0, 224.0)));
            p[2] = uint8_t(std::lround(std::clamp(b, 160.0, 224.0)));
        }
    }
    return img;
}

}  // namespace resgen
