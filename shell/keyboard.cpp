// Mouse and keyboard polling, and the waits.
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "platform/input.h"
#include "platform/platform.h"
#include "platform/screen_state.h"
#include "shell/services.h"

namespace {

// A click or key tap shorter than a polling pass would go unseen by state
// polling, so a press shows in the first poll after it, if that comes soon
// enough to still belong to it.
constexpr double click_memory_seconds = 0.25;

}  // namespace

mouse_reading poll_mouse() {
    pump_and_present();
    const screen_state& s = screen();
    input_state& in = input();
    int buttons = in.buttons;
    if (platform_clock() - in.clicked_at < click_memory_seconds) buttons |= in.clicked;
    in.clicked = 0;
    bool over_window = in.mouse_x >= 0 && in.mouse_x < s.width && in.mouse_y >= 0 && in.mouse_y < s.height;
    if (!s.open || !in.pointer_inside || !in.focused || !over_window) return {-1, -1, -1, -1};
    return {in.mouse_x, in.mouse_y, in.wheel, buttons};
}

void set_mouse(int x, int y, int visibility) {
    const screen_state& s = screen();
    if (!s.open) return;
    input_state& in = input();
    in.mouse_x = std::clamp(x, 0, s.width - 1);
    in.mouse_y = std::clamp(y, 0, s.height - 1);
    in.pointer_inside = true;
    platform_warp_pointer(in.mouse_x, in.mouse_y);
    if (visibility >= 0) platform_show_pointer(visibility != 0);
}

// A key tapped between two passes of a polling loop went down and up
// unseen; like a quick click, it counts as held for the next test of it.
bool key_held(int scancode) {
    if (!screen().open || scancode < 0 || scancode > 127) return false;
    input_state& in = input();
    const bool tapped = in.tapped[scancode] && platform_clock() - in.tapped_at[scancode] < click_memory_seconds;
    in.tapped[scancode] = false;
    return in.down[scancode] || tapped;
}

std::string read_key() {
    pump_and_present();
    int code = take_key_code();
    if (code == 0) return "";
    if (code < extended_key) return std::string(1, static_cast<char>(code));
    return std::string{'\xFF', static_cast<char>(code - extended_key)};
}

int wait_key() {
    for (;;) {
        pump_and_present();
        if (int code = take_key_code()) return code;
        platform_sleep(20);
    }
}

namespace {

// Without a window there are no key events; a terminal's Enter stands in.
void wait_console_key() {
    if (isatty(STDIN_FILENO)) std::getchar();
}

}  // namespace

void pause(int milliseconds) {
    pump_and_present();
    input_state& in = input();
    if (milliseconds == -1) {
        if (!screen().open) return wait_console_key();
        in.key_pressed = false;
        while (!in.key_pressed) {
            platform_sleep(20);
            pump_and_present();
        }
        in.key_pressed = false;
        return;
    }
    if (milliseconds < 1) return;
    if (milliseconds < 100) return platform_sleep(milliseconds);
    in.key_pressed = false;
    int remaining = milliseconds;
    while (remaining > 50) {
        platform_sleep(50);
        remaining -= 50;
        pump_and_present();
        if (in.key_pressed) {
            in.key_pressed = false;
            return;
        }
    }
    platform_sleep(remaining);
}
