#include "shell/image.h"

#include <cstddef>

namespace {

uint32_t read_word(const image& picture, std::size_t at) {
    const auto& b = picture.block;
    return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
           static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// An empty or cut-off block reads as a header of 0: no pixel size, no area.
uint32_t header(const image& picture) {
    return picture.block.size() < 4 ? 0 : read_word(picture, 0);
}

}  // namespace

int image_bytes_per_pixel(const image& picture) {
    return static_cast<int>(header(picture) & 7);
}

int image_width(const image& picture) {
    return static_cast<int>((header(picture) & 0xFFFF) >> 3);
}

int image_height(const image& picture) {
    return static_cast<int>(header(picture) >> 16);
}

uint32_t image_pixel(const image& picture, int x, int y) {
    const std::size_t at = 4 + 4 * (static_cast<std::size_t>(y) * static_cast<std::size_t>(image_width(picture)) +
                               static_cast<std::size_t>(x));
    return read_word(picture, at) & 0xFFFFFF;
}
