#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Whole-number magnification of the windows. The program draws in its own
// pixels; the SDL platform shows each as a scale x scale block, so text and
// pictures stay sharp on screens with many pixels per inch.

struct scale_choice {
    int scale = 1;                          // 1..4
    std::vector<std::string> complaints;    // one line for each value ignored
};

// LARDERON_SCALE when it is set; else GDK_SCALE when it is a whole number
// 1..4; else one step for every 900 lines of the display, between 1 and 4.
// A variable that is set but is not a whole number 1..4 is passed over with
// a complaint. Null or empty means not set.
scale_choice choose_scale(const char* larderon_scale, const char* gdk_scale, int display_height);

// Copies width x height pixels into `out` (rows `out_pitch` bytes apart),
// each pixel as a scale x scale block.
void magnify(const uint32_t* pixels, int width, int height, int scale, uint8_t* out, int out_pitch);

// The program's pixel under a window pixel; negative positions (outside the
// window's left or top) stay negative.
inline int to_logical(int physical, int scale) {
    return physical >= 0 ? physical / scale : -((-physical + scale - 1) / scale);
}
