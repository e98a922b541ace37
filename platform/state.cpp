#include "platform/screen_state.h"

#include "platform/platform.h"

screen_state& screen() {
    static screen_state state;
    return state;
}

input_state& input() {
    static input_state state;
    return state;
}

std::string row_text(int row) {
    const screen_state& s = screen();
    std::string text;
    if (row < 1 || row > s.rows) return text;
    for (int c = 0; c < s.columns; ++c)
        text += static_cast<char>(s.cells[static_cast<size_t>((row - 1) * s.columns + c)].byte);
    return text;
}

// Idle polling loops call this on every pass, so it presents only when the
// picture changed or the window system asked for it again.
void pump_and_present() {
    platform_pump_events();
    screen_state& s = screen();
    input_state& in = input();
    if (s.open && (s.changed || in.exposed)) {
        platform_present(s.pixels.data(), s.width, s.height);
        s.changed = false;
    }
    in.exposed = false;
}
