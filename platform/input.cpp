#include "platform/input.h"

#include <cstdint>

#include "platform/platform.h"
#include "platform/screen_state.h"

namespace {

void queue_key(int code) {
    input_state& in = input();
    int next = (in.tail + 1) % 16;
    if (next == in.head) in.head = (in.head + 1) % 16;  // full: the oldest key goes
    in.queue[in.tail] = code;
    in.tail = next;
}

// The key code a press queues when the key types no character itself.
int code_without_character(int scancode, bool queue_extended) {
    switch (scancode) {
    case 28: return 13;   // Enter
    case 1: return 27;    // Escape
    case 14: return 8;    // Backspace
    case 15: return 9;    // Tab
    case 71: case 72: case 73: case 75: case 77:
    case 79: case 80: case 81: case 82: case 83:
        return queue_extended ? extended_key + scancode : 0;
    default:
        if (scancode >= 59 && scancode <= 68) return extended_key + scancode;  // F1..F10
        return 0;
    }
}

// Windows-1252 bytes 0x80..0x9F by Unicode code point; 0 where undefined.
constexpr uint16_t cp1252_high[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

int cp1252_byte(uint32_t code_point) {
    if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF)) return static_cast<int>(code_point);
    for (int i = 0; i < 32; ++i)
        if (cp1252_high[i] == code_point) return 0x80 + i;
    return -1;
}

}  // namespace

int take_key_code() {
    input_state& in = input();
    if (in.head == in.tail) return 0;
    int code = in.queue[in.head];
    in.head = (in.head + 1) % 16;
    return code;
}

void feed_key_down(int scancode, bool queue_extended) {
    if (scancode < 0 || scancode > 127) return;
    input_state& in = input();
    in.down[scancode] = true;
    in.tapped[scancode] = true;
    in.tapped_at[scancode] = platform_clock();
    in.key_pressed = true;
    if (int code = code_without_character(scancode, queue_extended)) queue_key(code);
}

void feed_key_up(int scancode) {
    if (scancode >= 0 && scancode <= 127) input().down[scancode] = false;
}

void feed_text(const std::string& utf8) {
    for (size_t i = 0; i < utf8.size();) {
        auto lead = static_cast<uint8_t>(utf8[i]);
        int length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        uint32_t code_point = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (int k = 1; k < length && i + k < utf8.size(); ++k)
            code_point = (code_point << 6) | (static_cast<uint8_t>(utf8[i + k]) & 0x3F);
        i += length;
        int byte = cp1252_byte(code_point);
        if (byte > 0) queue_key(byte);
        input().key_pressed = true;
    }
}

void feed_close_button() { queue_key(close_key); }

void feed_mouse_motion(int x, int y) {
    input_state& in = input();
    in.mouse_x = x;
    in.mouse_y = y;
}

void feed_mouse_button(int button, bool down) {
    if (button < 0 || button > 2) return;
    input_state& in = input();
    if (down) {
        in.buttons |= 1 << button;
        in.clicked |= 1 << button;
        in.clicked_at = platform_clock();
    } else
        in.buttons &= ~(1 << button);
}

void feed_mouse_wheel(int steps) { input().wheel += steps; }

void feed_pointer_inside(bool inside) { input().pointer_inside = inside; }

// A focus change in either direction forgets held keys and buttons: their
// releases may have gone to another window.
void feed_focus(bool focused) {
    input_state& in = input();
    in.focused = focused;
    for (bool& key : in.down) key = false;
    for (bool& key : in.tapped) key = false;
    in.buttons = 0;
    in.clicked = 0;
}

void feed_exposed() { input().exposed = true; }
