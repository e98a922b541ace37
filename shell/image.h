#pragma once
#include <cstdint>
#include <vector>

// A picture in memory: one little-endian header word
// (height * 65536 + width * 8 + bytes_per_pixel) followed by the pixels,
// rows top to bottom, each pixel stored as blue, green, red, 0.
struct image {
    std::vector<uint8_t> block;
};

int image_bytes_per_pixel(const image& picture);
int image_width(const image& picture);
int image_height(const image& picture);
// The pixel at (x, y) as 0x00RRGGBB; the caller keeps x and y inside the picture.
uint32_t image_pixel(const image& picture, int x, int y);
