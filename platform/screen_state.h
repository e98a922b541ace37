#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The services' own state: the framebuffer with its text grid, and the
// keyboard and mouse. Fed by the backends through input.h, used by the services of shell/ and read by tests.

struct text_cell {
    uint8_t byte = ' ';
    uint32_t foreground = 0xFFFFFF;
    uint32_t background = 0x000000;
};

struct screen_state {
    bool open = false;
    int width = 0, height = 0;
    std::string title;
    std::vector<uint32_t> pixels;   // 0x00RRGGBB, width * height
    int columns = 0, rows = 0;      // text grid
    int cell_width = 8, cell_height = 16;
    std::vector<text_cell> cells;   // columns * rows, what print_text left there
    int row = 1, column = 1;        // text cursor, 1-based
    bool scroll_pending = false;    // last row filled: scroll before the next text
    int scrolled = 0;               // rows scrolled since the window opened
    uint32_t foreground = 0xFFFFFF, background = 0x000000;
    bool changed = false;           // pixels differ from the last presented frame
};

struct input_state {
    bool down[128] = {};            // key-down table by set-1 scancode
    bool tapped[128] = {};          // went down since key_held last tested it
    double tapped_at[128] = {};     // when it last went down
    int queue[16] = {};             // ring of typed key codes, 15 usable
    int head = 0, tail = 0;
    bool key_pressed = false;
    int mouse_x = 0, mouse_y = 0, wheel = 0, buttons = 0;
    int clicked = 0;                // buttons pressed since the last poll
    double clicked_at = 0;          // when the latest of them was pressed
    bool pointer_inside = false;
    bool focused = true;
    bool exposed = false;
};

screen_state& screen();
input_state& input();

// The text printed in one grid row (1-based), trailing blanks kept.
std::string row_text(int row);
// Fetches window events and presents the frame when it changed or was exposed.
void pump_and_present();
