// Draws the program's icon, a cooking pot on a plate on a wooden tile, and
// writes it as PNG files with a transparent surround at the sizes desktops
// look for:
//
//   make_icon DIRECTORY      (writes larderon-48.png, -128.png and -256.png)

#include <png.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/canvas.h"

namespace {

constexpr uint32_t edge = 0x4A3222, wood_top = 0x9A6B48, wood_bottom = 0x6E4B33;
constexpr uint32_t plate = 0xFFF8EC, plate_rim = 0xE6D5BC, steam_colour = 0xC9B6A0;
constexpr uint32_t pot_edge = 0x7A1F18, pot_top = 0xE35A4E, pot_bottom = 0xB8352B, lid = 0xC23A30, band = 0xF08A80;

// The shapes are laid out on a 256 x 256 grid and drawn at size / 256 of it.
struct icon_canvas {
    canvas picture;
    canvas coverage;  // grey: how much of each pixel the tile covers
    double k;
};

int at(const icon_canvas& c, double v) { return static_cast<int>(std::lround(v * c.k)); }

void panel(icon_canvas& c, double x0, double y0, double x1, double y1, double r, uint32_t border, uint32_t top,
           uint32_t bottom) {
    draw_panel(c.picture, at(c, x0), at(c, y0), at(c, x1), at(c, y1), std::max(1.5, r * c.k), border, top, bottom);
}

void steam(icon_canvas& c, double x, double bottom, double top) {
    const int steps = 12;
    for (int i = 0; i < steps; ++i) {
        const double y0 = bottom + (top - bottom) * i / steps, y1 = bottom + (top - bottom) * (i + 1) / steps;
        draw_line(c.picture, (x + 6 * std::sin(i * 0.7)) * c.k, y0 * c.k, (x + 6 * std::sin((i + 1) * 0.7)) * c.k,
                  y1 * c.k, std::max(1.2, 7 * c.k), steam_colour);
    }
}

icon_canvas draw_icon(int size) {
    icon_canvas c{make_canvas(size, size, edge), make_canvas(size, size, 0), size / 256.0};
    const int last = size - 1;
    // The tile: a rounded square whose surround is transparent, with a
    // dark edge around a wooden face.
    fill_shape(c.coverage, 0, 0, last, last,
               [&](double px, double py) { return in_round_rect(px, py, at(c, 8), at(c, 8), at(c, 247), at(c, 247), 44 * c.k); },
               [](int) { return 0xFFFFFFu; });
    const int inset = std::max(1, at(c, 14));
    fill_shape(c.picture, inset, inset, last - inset, last - inset,
               [&](double px, double py) {
                   return in_round_rect(px, py, inset, inset, last - inset, last - inset, 38 * c.k);
               },
               [&](int y) { return mix(wood_top, wood_bottom, static_cast<double>(y) / size); });
    fill_circle(c.picture, 128 * c.k, 136 * c.k, 98 * c.k, plate_rim);
    fill_circle(c.picture, 128 * c.k, 136 * c.k, 90 * c.k, plate);

    for (double x : {102.0, 128.0, 154.0}) steam(c, x, 98, 54);
    panel(c, 44, 142, 72, 158, 7, pot_edge, lid, pot_bottom);    // handles
    panel(c, 184, 142, 212, 158, 7, pot_edge, lid, pot_bottom);
    panel(c, 62, 128, 194, 200, 20, pot_edge, pot_top, pot_bottom);  // body
    fill_rect(c.picture, at(c, 66), at(c, 148), at(c, 190), at(c, 154), band);
    panel(c, 72, 112, 184, 130, 8, pot_edge, lid, lid);              // lid
    fill_circle(c.picture, 128 * c.k, 106 * c.k, 10 * c.k, pot_edge);
    fill_circle(c.picture, 128 * c.k, 106 * c.k, 7 * c.k, lid);
    return c;
}

bool write_png(const std::string& path, const icon_canvas& c) {
    const int size = c.picture.width;
    std::vector<uint8_t> rgba(static_cast<size_t>(size) * static_cast<size_t>(size) * 4);
    for (size_t i = 0; i < c.picture.pixels.size(); ++i) {
        const uint32_t p = c.picture.pixels[i];
        rgba[i * 4] = static_cast<uint8_t>(p >> 16);
        rgba[i * 4 + 1] = static_cast<uint8_t>(p >> 8);
        rgba[i * 4 + 2] = static_cast<uint8_t>(p);
        rgba[i * 4 + 3] = static_cast<uint8_t>(c.coverage.pixels[i]);
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(size);
    image.height = static_cast<png_uint_32>(size);
    image.format = PNG_FORMAT_RGBA;
    if (png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr)) return true;
    std::fprintf(stderr, "make_icon: can't write %s: %s\n", path.c_str(), image.message);
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icon DIRECTORY\n");
        return 2;
    }
    std::error_code error;
    std::filesystem::create_directories(argv[1], error);
    for (int size : {48, 128, 256})
        if (!write_png(std::string(argv[1]) + "/larderon-" + std::to_string(size) + ".png", draw_icon(size))) return 1;
    return 0;
}
