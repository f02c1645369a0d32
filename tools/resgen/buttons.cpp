// The gradient button's six state pictures, 64 x 25. Only the outer four
// pixels of each reach the screen (the button stretches them into its frame):
//   the margin (background shades), a one-pixel outline with softened corners,
//   and the state's two-pixel ring inside it.
// The interior is never drawn; it gets a plausible face colour all the same.
#include <cmath>

#include "artwork.h"

namespace resgen {

namespace {

constexpr int kW = 64, kH = 25;
constexpr int kRingTop = 4, kRingBottom = 20;  // rows over which side rings shade

uint32_t blend(uint32_t a, uint32_t b, double t) {
    uint32_t out = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        double ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        out |= uint32_t(std::lround(ca + (cb - ca) * t)) << shift;
    }
    return out;
}

// Shade for row y of a side ring running from `top` to `bottom`.
uint32_t side_shade(uint32_t top, uint32_t bottom, int y) {
    double t = double(y - kRingTop) / (kRingBottom - kRingTop);
    return blend(top, bottom, t < 0 ? 0 : (t > 1 ? 1 : t));
}

// Margin shade: light at the top, falling to a soft shadow at the bottom.
uint32_t margin_shade(int y) { return blend(0xFAFAF6, 0xDCD6C2, double(y) / (kH - 1)); }

constexpr double kCornerSoftening = 0.55;  // share of the margin in an outline corner

// Draws the margin (`inset` pixels wide) and the outline just inside it.
void frame(Image8& img, int inset, uint32_t outline, bool flatMargin, uint32_t marginColour) {
    auto margin = [&](int y) { return flatMargin ? marginColour : margin_shade(y); };
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            if (x < inset || y < inset || x >= kW - inset || y >= kH - inset) img.set(x, y, margin(y));
    const int x0 = inset, x1 = kW - 1 - inset, y0 = inset, y1 = kH - 1 - inset;
    for (int x = x0; x <= x1; ++x) {
        img.set(x, y0, outline);
        img.set(x, y1, outline);
    }
    for (int y = y0; y <= y1; ++y) {
        img.set(x0, y, outline);
        img.set(x1, y, outline);
    }
    for (int y : {y0, y1})
        for (int x : {x0, x1}) img.set(x, y, blend(outline, margin(y), kCornerSoftening));
}

struct Ring {
    uint32_t top[2];           // rows 2 and 3
    uint32_t leftTop, leftBottom;
    uint32_t rightTop[2], rightBottom[2];  // columns 60 and 61
    uint32_t bottom[2];        // rows 21 and 22
};

void ring(Image8& img, const Ring& r) {
    for (int y = 2; y <= 22; ++y) {
        for (int x = 2; x <= 61; ++x) {
            uint32_t c;
            if (y <= 3) {
                c = r.top[y - 2];
            } else if (y >= 21) {
                c = r.bottom[y - 21];
            } else if (x <= 3) {
                c = side_shade(r.leftTop, r.leftBottom, y);
            } else if (x >= 60) {
                c = side_shade(r.rightTop[x - 60], r.rightBottom[x - 60], y);
            } else {
                // Interior: the face the frame surrounds.
                c = side_shade(0xFDFDFC, 0xECEBE6, y);
            }
            img.set(x, y, c);
        }
    }
}

Image8 ringed(const Ring& r) {
    Image8 img(kW, kH);
    frame(img, 1, 0x003C74, false, 0);
    ring(img, r);
    return img;
}

}  // namespace

Image8 draw_button(ButtonFace face) {
    switch (face) {
    case ButtonFace::Normal: {
        // Right side: the column by the outline is a shade darker, the other
        // sits halfway between it and the left side.
        Ring r{{0xF3F3EE, 0xF3F3EE},
               0xFDFDFC, 0xECEBE6,
               {blend(0xFDFDFC, 0xE8E5DF, 0.5), 0xE8E5DF},
               {blend(0xECEBE6, 0xE0DDD4, 0.5), 0xE0DDD4},
               {0xE2DFD6, 0xD6D0C5}};
        return ringed(r);
    }
    case ButtonFace::HighLight:
    case ButtonFace::HighLightSelect: {
        Ring r{{0xFFF0CF, 0xFDD889},
               0xFEDF9A, 0xF9B435,
               {0xFEDF9A, 0xFEDF9A},
               {0xF9B435, 0xF9B435},
               {0xF8B330, 0xE59700}};
        return ringed(r);
    }
    case ButtonFace::Selected: {
        Ring r{{0xCEE7FF, 0xCEE7FF},
               0xB7D0F4, 0x8BADE4,
               {0xB7D0F4, 0xB7D0F4},
               {0x8BADE4, 0x8BADE4},
               {0x6982EE, 0x6982EE}};
        return ringed(r);
    }
    case ButtonFace::Pressed: {
        Image8 img(kW, kH);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) img.set(x, y, 0xE2E1D9);
        frame(img, 2, 0x003C74, true, 0xECE9D8);
        for (int x = 3; x <= 60; ++x) {
            img.set(x, 3, 0xD1CCC1);   // pressed-in shade under the top edge
            img.set(x, 21, 0xF2F1EE);  // light catching the bottom lip
        }
        return img;
    }
    case ButtonFace::Disable: {
        Image8 img(kW, kH);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) img.set(x, y, 0xF5F4EA);
        frame(img, 1, 0xC9C7BA, true, 0xECE9D8);
        return img;
    }
    }
    return Image8(kW, kH);
}

}  // namespace resgen
