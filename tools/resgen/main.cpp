// Writes the pictures in resources/: resgen <output folder>
#include <cstdio>
#include <exception>
#include <string>

#include "artwork.h"
#include "writers.h"

using namespace resgen;

namespace {

bool save(const std::string& dir, const char* name, const Bytes& data) {
    std::string path = dir + "/" + name;
    if (!write_file(path, data)) {
        std::fprintf(stderr, "resgen: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("  %-28s %7zu bytes\n", name, data.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: resgen <output folder>\n");
        return 2;
    }
    const std::string dir = argv[1];
    try {
        bool ok = true;
        const int kQuality = 85;
        Image8 flower = draw_flower();
        ok &= save(dir, "photo0.jpg", encode_jpeg(flower, kQuality));
        ok &= save(dir, "photo1.jpg", encode_jpeg(draw_coast(), kQuality));

        SwarmLook preview{152, 50, 0.0, 0.4, 12, 20, 0x9E7E0001};
        ok &= save(dir, "preview.jpg", encode_jpeg(draw_show_still(flower, preview), kQuality));

        SwarmLook iconLook{32, 7, 0.2, 0.34, 10, 12, 0x11};
        Palettised icon = palettise(draw_show_still(flower, iconLook));
        ok &= save(dir, "sorvane.ico", encode_ico8(32, 32, icon.indices, icon.palette));

        ok &= save(dir, "marble.bmp", encode_bmp24(draw_marble()));

        const struct {
            const char* name;
            ButtonFace face;
        } buttons[] = {{"button_normal.bmp", ButtonFace::Normal},
                       {"button_highlight.bmp", ButtonFace::HighLight},
                       {"button_highlightselect.bmp", ButtonFace::HighLightSelect},
                       {"button_selected.bmp", ButtonFace::Selected},
                       {"button_pressed.bmp", ButtonFace::Pressed},
                       {"button_disable.bmp", ButtonFace::Disable}};
        for (const auto& b : buttons) ok &= save(dir, b.name, encode_bmp24(draw_button(b.face)));
        return ok ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "resgen: %s\n", e.what());
        return 1;
    }
}
