// The pictures the program carries, each drawn from fixed seeds.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "raster.h"

namespace resgen {

// Built-in photographs, 512 x 512.
Image8 draw_flower();
Image8 draw_coast();

// A still of the show: `count` tinted, spinning copies of `photo` around the
// centre of a black square of side `size`, added together.
struct SwarmLook {
    int size;           // picture side in pixels
    int count;          // squares
    double minRadius;   // innermost and outermost orbits, as fractions of the side
    double maxRadius;
    double minSide;     // square side range, pixels
    double maxSide;
    uint64_t seed;
};
Image8 draw_show_still(const Image8& photo, const SwarmLook& look);

// The settings dialog's marble tile, 563 x 21, tiling vertically.
Image8 draw_marble();

// The gradient button's state pictures, 64 x 25.
enum class ButtonFace { Normal, HighLight, HighLightSelect, Selected, Pressed, Disable };
Image8 draw_button(ButtonFace face);

// Reduces a picture to at most 256 colours: palette and one index per pixel.
struct Palettised {
    std::array<uint32_t, 256> palette{};
    std::vector<uint8_t> indices;
};
Palettised palettise(const Image8& img);

}  // namespace resgen
