#include "platform/scale.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstring>
#include <utility>

namespace {

// 1..4 for a whole number in that range, written as nothing but its digits;
// 0 otherwise.
int whole_scale(const char* text) {
    const char* end = text + std::strlen(text);
    int value = 0;
    const auto [stop, error] = std::from_chars(text, end, value);
    if (error != std::errc() || stop != end || value < 1 || value > 4) return 0;
    return value;
}

bool is_set(const char* text) { return text && *text; }

}  // namespace

scale_choice choose_scale(const char* larderon_scale, const char* gdk_scale, int display_height) {
    scale_choice choice;
    const std::pair<const char*, const char*> variables[] = {{"LARDERON_SCALE", larderon_scale},
                                                             {"GDK_SCALE", gdk_scale}};
    for (const auto& [name, value] : variables) {
        if (!is_set(value)) continue;
        if (int scale = whole_scale(value)) {
            choice.scale = scale;
            return choice;
        }
        choice.complaints.push_back(std::string("Larderon: ") + name + "=" + value +
                                    " is not a whole number from 1 to 4, so it is ignored.");
    }
    choice.scale = std::clamp(display_height / 900, 1, 4);
    return choice;
}

void magnify(const uint32_t* pixels, int width, int height, int scale, uint8_t* out, int out_pitch) {
    const size_t row_bytes = static_cast<size_t>(width) * static_cast<size_t>(scale) * 4;
    for (int y = 0; y < height; ++y) {
        auto* first = reinterpret_cast<uint32_t*>(out + static_cast<std::ptrdiff_t>(y) * scale * out_pitch);
        const uint32_t* source = pixels + static_cast<size_t>(y) * static_cast<size_t>(width);
        if (scale == 1)
            std::memcpy(first, source, row_bytes);
        else
            for (int x = 0; x < width; ++x) std::fill_n(first + static_cast<std::ptrdiff_t>(x) * scale, scale, source[x]);
        // The other rows of the block are copies of the first.
        for (int r = 1; r < scale; ++r)
            std::memcpy(out + (static_cast<std::ptrdiff_t>(y) * scale + r) * out_pitch, first, row_bytes);
    }
}
