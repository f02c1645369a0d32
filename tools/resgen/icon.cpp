// Colour reduction for the 256-colour program icon: median cut over the
// pixels, then each pixel takes its nearest palette entry.
#include <algorithm>
#include <map>

#include "artwork.h"

namespace resgen {

namespace {

struct Box {
    std::vector<uint32_t> colours;  // one entry per pixel, 0xRRGGBB

    int channel(uint32_t c, int ch) const { return int((c >> (16 - 8 * ch)) & 0xFF); }
    int extent(int ch) const {
        int lo = 255, hi = 0;
        for (uint32_t c : colours) {
            lo = std::min(lo, channel(c, ch));
            hi = std::max(hi, channel(c, ch));
        }
        return hi - lo;
    }
    int widest() const {
        int best = 0;
        for (int ch = 1; ch < 3; ++ch)
            if (extent(ch) > extent(best)) best = ch;
        return best;
    }
    uint32_t mean() const {
        uint64_t s[3] = {0, 0, 0};
        for (uint32_t c : colours)
            for (int ch = 0; ch < 3; ++ch) s[ch] += uint64_t(channel(c, ch));
        uint32_t out = 0, n = uint32_t(colours.size());
        for (int ch = 0; ch < 3; ++ch) out |= uint32_t((s[ch] + n / 2) / n) << (16 - 8 * ch);
        return out;
    }
};

int distance2(uint32_t a, uint32_t b) {
    int d = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        int x = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
        d += x * x;
    }
    return d;
}

}  // namespace

Palettised palettise(const Image8& img) {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) pixels.push_back(img.get(x, y));

    std::vector<uint32_t> colours;
    std::map<uint32_t, int> unique;
    for (uint32_t c : pixels) unique[c] = 0;
    if (unique.size() <= 256) {
        for (auto& kv : unique) colours.push_back(kv.first);
    } else {
        std::vector<Box> boxes{Box{pixels}};
        while (boxes.size() < 256) {
            // Split the box whose widest channel spans most, weighted by size.
            size_t pick = 0;
            long bestScore = -1;
            for (size_t i = 0; i < boxes.size(); ++i) {
                if (boxes[i].colours.size() < 2) continue;
                long score = long(boxes[i].extent(boxes[i].widest())) * long(boxes[i].colours.size());
                if (score > bestScore) bestScore = score, pick = i;
            }
            if (bestScore <= 0) break;
            Box& b = boxes[pick];
            int ch = b.widest();
            std::sort(b.colours.begin(), b.colours.end(), [&](uint32_t p, uint32_t q) {
                int a = b.channel(p, ch), c = b.channel(q, ch);
                return a != c ? a < c : p < q;
            });
            size_t mid = b.colours.size() / 2;
            Box upper{std::vector<uint32_t>(b.colours.begin() + long(mid), b.colours.end())};
            b.colours.resize(mid);
            boxes.push_back(std::move(upper));
        }
        for (const Box& b : boxes) colours.push_back(b.mean());
    }

    Palettised out;
    out.palette.fill(0);
    // Pure black first: most of the icon is the show's black background.
    std::vector<uint32_t> entries{0x000000};
    for (uint32_t c : colours)
        if (c != 0 && entries.size() < 256) entries.push_back(c);
    std::copy(entries.begin(), entries.end(), out.palette.begin());

    for (uint32_t c : pixels) {
        size_t best = 0;
        for (size_t i = 1; i < entries.size(); ++i)
            if (distance2(c, entries[i]) < distance2(c, entries[best])) best = i;
        out.indices.push_back(uint8_t(best));
    }
    return out;
}

}  // namespace resgen
