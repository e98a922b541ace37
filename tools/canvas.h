#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/font.h"

// A small drawing surface for the build-time artwork: filled shapes with
// smoothed edges, and text in the program's own 8-pixel-wide font.

struct canvas {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top to bottom
};

inline canvas make_canvas(int width, int height, uint32_t colour) {
    return {width, height, std::vector<uint32_t>(static_cast<size_t>(width) * static_cast<size_t>(height), colour)};
}

inline uint32_t mix(uint32_t a, uint32_t b, double amount_of_b) {
    uint32_t result = 0;
    for (int shift : {0, 8, 16}) {
        const double ca = a >> shift & 0xFF, cb = b >> shift & 0xFF;
        result |= static_cast<uint32_t>(std::lround(ca + (cb - ca) * amount_of_b)) << shift;
    }
    return result;
}

inline void blend(canvas& c, int x, int y, uint32_t colour, double coverage) {
    if (x < 0 || y < 0 || x >= c.width || y >= c.height || coverage <= 0) return;
    uint32_t& p = c.pixels[static_cast<size_t>(y) * static_cast<size_t>(c.width) + static_cast<size_t>(x)];
    p = mix(p, colour, std::min(coverage, 1.0));
}

// Fills every pixel of the box [x0, x1] x [y0, y1] by how much of it lies
// inside the shape, from 4 x 4 samples, so curves and slants look smooth.
// colour_at gives the colour for a pixel row (for gradients).
template <typename Inside, typename Colour>
void fill_shape(canvas& c, int x0, int y0, int x1, int y1, Inside inside, Colour colour_at) {
    for (int y = std::max(0, y0); y <= std::min(c.height - 1, y1); ++y)
        for (int x = std::max(0, x0); x <= std::min(c.width - 1, x1); ++x) {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) hits += inside(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4) ? 1 : 0;
            blend(c, x, y, colour_at(y), hits / 16.0);
        }
}

inline void fill_rect(canvas& c, int x0, int y0, int x1, int y1, uint32_t colour) {
    for (int y = std::max(0, y0); y <= std::min(c.height - 1, y1); ++y)
        for (int x = std::max(0, x0); x <= std::min(c.width - 1, x1); ++x)
            c.pixels[static_cast<size_t>(y) * static_cast<size_t>(c.width) + static_cast<size_t>(x)] = colour;
}

// Whether a point lies in the rectangle of whole pixels [x0, x1] x [y0, y1]
// with corners rounded by radius r.
inline bool in_round_rect(double px, double py, int x0, int y0, int x1, int y1, double r) {
    const double left = x0, right = x1 + 1.0, top = y0, bottom = y1 + 1.0;
    if (px < left || px > right || py < top || py > bottom) return false;
    const double cx = std::clamp(px, left + r, right - r), cy = std::clamp(py, top + r, bottom - r);
    return (px - cx) * (px - cx) + (py - cy) * (py - cy) <= r * r;
}

// A button-like panel over exactly the pixels [x0, x1] x [y0, y1]: a one
// pixel border and a face shaded from top to bottom.
inline void draw_panel(canvas& c, int x0, int y0, int x1, int y1, double radius, uint32_t border, uint32_t face_top,
                       uint32_t face_bottom) {
    fill_shape(c, x0, y0, x1, y1, [&](double px, double py) { return in_round_rect(px, py, x0, y0, x1, y1, radius); },
               [&](int) { return border; });
    const int span = std::max(1, y1 - y0 - 2);
    fill_shape(c, x0 + 1, y0 + 1, x1 - 1, y1 - 1,
               [&](double px, double py) { return in_round_rect(px, py, x0 + 1, y0 + 1, x1 - 1, y1 - 1, radius - 1); },
               [&](int y) { return mix(face_top, face_bottom, static_cast<double>(y - y0 - 1) / span); });
}

inline void fill_circle(canvas& c, double cx, double cy, double r, uint32_t colour) {
    fill_shape(c, static_cast<int>(cx - r) - 1, static_cast<int>(cy - r) - 1, static_cast<int>(cx + r) + 1,
               static_cast<int>(cy + r) + 1,
               [&](double px, double py) { return (px - cx) * (px - cx) + (py - cy) * (py - cy) <= r * r; },
               [&](int) { return colour; });
}

inline void draw_ring(canvas& c, double cx, double cy, double r, double thickness, uint32_t colour) {
    const double inner = r - thickness;
    fill_shape(c, static_cast<int>(cx - r) - 1, static_cast<int>(cy - r) - 1, static_cast<int>(cx + r) + 1,
               static_cast<int>(cy + r) + 1,
               [&](double px, double py) {
                   const double d = (px - cx) * (px - cx) + (py - cy) * (py - cy);
                   return d <= r * r && d >= inner * inner;
               },
               [&](int) { return colour; });
}

// A line with round ends, `thickness` pixels wide.
inline void draw_line(canvas& c, double ax, double ay, double bx, double by, double thickness, uint32_t colour) {
    const double half = thickness / 2;
    const double dx = bx - ax, dy = by - ay, length2 = std::max(dx * dx + dy * dy, 1e-9);
    fill_shape(c, static_cast<int>(std::min(ax, bx) - half) - 1, static_cast<int>(std::min(ay, by) - half) - 1,
               static_cast<int>(std::max(ax, bx) + half) + 1, static_cast<int>(std::max(ay, by) + half) + 1,
               [&](double px, double py) {
                   const double t = std::clamp(((px - ax) * dx + (py - ay) * dy) / length2, 0.0, 1.0);
                   const double qx = ax + t * dx - px, qy = ay + t * dy - py;
                   return qx * qx + qy * qy <= half * half;
               },
               [&](int) { return colour; });
}

// A five-pointed star, point up, by the even-odd rule over its outline.
inline void fill_star(canvas& c, double cx, double cy, double outer, double inner, uint32_t colour) {
    const double pi = std::acos(-1.0);
    double xs[10], ys[10];
    for (int i = 0; i < 10; ++i) {
        const double angle = -pi / 2 + i * pi / 5;
        const double r = i % 2 ? inner : outer;
        xs[i] = cx + r * std::cos(angle);
        ys[i] = cy + r * std::sin(angle);
    }
    fill_shape(c, static_cast<int>(cx - outer) - 1, static_cast<int>(cy - outer) - 1, static_cast<int>(cx + outer) + 1,
               static_cast<int>(cy + outer) + 1,
               [&](double px, double py) {
                   bool in = false;
                   for (int i = 0, j = 9; i < 10; j = i++)
                       if ((ys[i] > py) != (ys[j] > py) && px < (xs[j] - xs[i]) * (py - ys[i]) / (ys[j] - ys[i]) + xs[i])
                           in = !in;
                   return in;
               },
               [&](int) { return colour; });
}

// ---- text -------------------------------------------------------------------

struct text_style {
    uint32_t colour = 0;
    int scale = 1;            // 1 or 2: each font pixel becomes scale x scale
    int cell_height = 16;     // 16 or 8: which of the font's glyph sets
};

inline int text_width(const std::string& text, const text_style& style) {
    return static_cast<int>(text.size()) * 8 * style.scale;
}

inline void draw_text(canvas& c, int x, int y, const std::string& text, const text_style& style) {
    for (size_t i = 0; i < text.size(); ++i) {
        const uint8_t* rows = glyph_rows(style.cell_height, static_cast<uint8_t>(text[i]));
        const int gx = x + static_cast<int>(i) * 8 * style.scale;
        for (int r = 0; r < style.cell_height; ++r)
            for (int col = 0; col < 8; ++col) {
                if (!(rows[r] & (0x80 >> col))) continue;
                const int px = gx + col * style.scale, py = y + r * style.scale;
                fill_rect(c, px, py, px + style.scale - 1, py + style.scale - 1, style.colour);
            }
    }
}

// Draws the text with its middle at centre_x.
inline void draw_text_centred(canvas& c, int centre_x, int y, const std::string& text, const text_style& style) {
    draw_text(c, centre_x - text_width(text, style) / 2, y, text, style);
}
