// The window and its drawing: the framebuffer, the text grid laid over it,
// printing with wrapping and scrolling, flood fill and pictures. Everything
// is drawn into screen(); pump_and_present() shows it.

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/screen_state.h"
#include "shell/font.h"
#include "shell/services.h"

namespace {

constexpr int cell_width = 8;

bool allowed_cell(int width, int height) {
    return width == cell_width && (height == 8 || height == 14 || height == 16);
}

void reset_cells(screen_state& s) {
    text_cell blank;
    blank.foreground = s.foreground;
    blank.background = s.background;
    s.cells.assign(static_cast<size_t>(s.columns) * static_cast<size_t>(s.rows), blank);
}

void fill_rect(screen_state& s, int x, int y, int w, int h, uint32_t colour) {
    for (int py = y; py < y + h; ++py)
        std::fill_n(s.pixels.begin() + static_cast<std::ptrdiff_t>(py) * s.width + x, w, colour);
}

void draw_cell(screen_state& s, int row, int column, uint8_t byte) {
    const uint8_t* glyph = glyph_rows(s.cell_height, byte);
    const int x0 = (column - 1) * cell_width;
    const int y0 = (row - 1) * s.cell_height;
    // Printing the same text again changes no pixel, so an idle loop that
    // reprints a line presents no new frame.
    bool changed = false;
    for (int r = 0; r < s.cell_height; ++r) {
        uint32_t* line = &s.pixels[static_cast<size_t>(y0 + r) * static_cast<size_t>(s.width) + static_cast<size_t>(x0)];
        for (int c = 0; c < cell_width; ++c) {
            const uint32_t colour = (glyph[r] & (0x80 >> c)) ? s.foreground : s.background;
            changed |= line[c] != colour;
            line[c] = colour;
        }
    }
    text_cell& cell = s.cells[static_cast<size_t>((row - 1) * s.columns + (column - 1))];
    cell = {byte, s.foreground, s.background};
    if (changed) s.changed = true;
}

// Moves the grid's pixels and cells up one text row and clears the freed
// last row to the background colour. Pixels outside the grid stay.
void scroll_up(screen_state& s) {
    const int grid_width = s.columns * cell_width;
    const int moved = (s.rows - 1) * s.cell_height;
    for (int y = 0; y < moved; ++y) {
        const auto from = s.pixels.begin() + static_cast<std::ptrdiff_t>(y + s.cell_height) * s.width;
        std::copy_n(from, grid_width, s.pixels.begin() + static_cast<std::ptrdiff_t>(y) * s.width);
    }
    fill_rect(s, 0, moved, grid_width, s.cell_height, s.background);
    std::copy(s.cells.begin() + s.columns, s.cells.end(), s.cells.begin());
    for (int c = 0; c < s.columns; ++c)
        s.cells[static_cast<size_t>((s.rows - 1) * s.columns + c)] = {' ', s.foreground, s.background};
    ++s.scrolled;
    s.changed = true;
}

// The scroll that a filled last row put off happens when something more is
// printed; it frees the last row and starts it at column 1.
void take_pending_scroll(screen_state& s) {
    if (!s.scroll_pending) return;
    scroll_up(s);
    s.row = s.rows;
    s.column = 1;
    s.scroll_pending = false;
}

// From the last row the cursor can't go lower: it stays at the last row's
// last column and the scroll waits for the next text.
void next_row(screen_state& s) {
    if (s.row < s.rows) {
        ++s.row;
        s.column = 1;
    } else {
        s.column = s.columns;
        s.scroll_pending = true;
    }
}

void print_to_console(const std::string& text, bool line_end) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (line_end) std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace

// Every screen runs in a window, so a program that can't have one ends
// rather than poll a window that isn't there.
void open_window(int width, int height, int /*depth: always 32*/) {
    screen_state& s = screen();
    if (s.open) platform_close_window();
    s.open = false;
    std::string failure;
    if (!platform_open_window(width, height, s.title, failure)) {
        std::fprintf(stderr, "Larderon needs a graphical display: %s\n", failure.c_str());
        end_program(1);
    }
    s.open = true;
    s.width = width;
    s.height = height;
    s.pixels.assign(static_cast<size_t>(s.width) * static_cast<size_t>(s.height), 0x000000);
    s.foreground = 0xFFFFFF;
    s.background = 0x000000;
    s.columns = s.width / cell_width;
    s.rows = s.height / 16;
    s.cell_width = cell_width;
    s.cell_height = 16;
    reset_cells(s);
    s.row = s.column = 1;
    s.scroll_pending = false;
    s.scrolled = 0;
    s.changed = true;

    // The keys of a window start empty with it.
    input_state& in = input();
    std::fill(std::begin(in.down), std::end(in.down), false);
    std::fill(std::begin(in.tapped), std::end(in.tapped), false);
    in.head = in.tail = 0;
    in.key_pressed = false;
    in.buttons = 0;
    in.clicked = 0;
}

void close_window() {
    screen_state& s = screen();
    if (s.open) platform_close_window();
    s.open = false;
}

void set_window_title(const std::string& title) {
    screen_state& s = screen();
    s.title = title;
    if (s.open) platform_set_title(title);
}

void set_text_grid(int columns, int rows) {
    screen_state& s = screen();
    if (!s.open || columns < 1 || rows < 1) return;
    const int height = s.height / rows;
    if (!allowed_cell(s.width / columns, height)) return;
    s.columns = columns;
    s.rows = rows;
    s.cell_height = height;
    clear_screen();
}

void set_colour(int64_t foreground, int64_t background) {
    screen_state& s = screen();
    if (foreground >= 0) s.foreground = static_cast<uint32_t>(foreground & 0xFFFFFF);
    if (background >= 0) s.background = static_cast<uint32_t>(background & 0xFFFFFF);
}

void clear_screen() {
    screen_state& s = screen();
    if (!s.open) return;
    std::fill(s.pixels.begin(), s.pixels.end(), s.background);
    reset_cells(s);
    s.row = s.column = 1;
    s.scroll_pending = false;
    s.changed = true;
}

void locate(int row, int column) {
    screen_state& s = screen();
    if (!s.open) return;
    s.row = std::clamp(row, 1, s.rows);
    s.column = std::clamp(column, 1, s.columns);
    s.scroll_pending = false;
}

int cursor_row() { return screen().row; }

void print_text(const std::string& text, bool line_end) {
    screen_state& s = screen();
    if (!s.open) {
        print_to_console(text, line_end);
        return;
    }
    // A text that ends exactly at a row's end has already moved the cursor
    // on; its line end then adds no second row.
    bool wrapped = false;
    for (char c : text) {
        take_pending_scroll(s);
        draw_cell(s, s.row, s.column, static_cast<uint8_t>(c));
        wrapped = s.column == s.columns;
        if (wrapped) next_row(s);
        else ++s.column;
    }
    if (line_end && !wrapped) {
        take_pending_scroll(s);
        next_row(s);
    }
}

void print_number(int32_t value, bool line_end) {
    std::string text = value >= 0 ? " " : "";
    print_text(text.append(std::to_string(value)), line_end);
}

void print_number(uint8_t value, bool line_end) {
    print_text(std::to_string(value), line_end);
}

// Fills the 4-connected area around (x, y) up to pixels of the fill colour,
// one horizontal run at a time so the stack stays small.
void flood_fill(int x, int y, uint32_t colour) {
    screen_state& s = screen();
    colour &= 0xFFFFFF;
    if (!s.open || x < 0 || y < 0 || x >= s.width || y >= s.height) return;
    auto at = [&](int px, int py) -> uint32_t& {
        return s.pixels[static_cast<size_t>(py) * static_cast<size_t>(s.width) + static_cast<size_t>(px)];
    };
    if (at(x, y) == colour) return;
    std::vector<std::pair<int, int>> seeds{{x, y}};
    while (!seeds.empty()) {
        auto [sx, sy] = seeds.back();
        seeds.pop_back();
        if (at(sx, sy) == colour) continue;
        int left = sx, right = sx;
        while (left > 0 && at(left - 1, sy) != colour) --left;
        while (right < s.width - 1 && at(right + 1, sy) != colour) ++right;
        for (int px = left; px <= right; ++px) at(px, sy) = colour;
        for (int ny : {sy - 1, sy + 1}) {
            if (ny < 0 || ny >= s.height) continue;
            // One seed per run of unfilled pixels next to the filled run.
            for (int px = left; px <= right; ++px)
                if (at(px, ny) != colour && (px == left || at(px - 1, ny) == colour)) seeds.emplace_back(px, ny);
        }
    }
    s.changed = true;
}

void put_image(int x, int y, const image& picture) {
    screen_state& s = screen();
    if (!s.open || image_bytes_per_pixel(picture) != 4) return;
    const int w = image_width(picture);
    const int h = image_height(picture);
    // A block too short for its header is not a picture.
    if (picture.block.size() < 4 + 4 * static_cast<size_t>(w) * static_cast<size_t>(h)) return;
    const int left = std::max(0, -x), right = std::min(w, s.width - x);
    const int top = std::max(0, -y), bottom = std::min(h, s.height - y);
    if (left >= right || top >= bottom) return;
    for (int py = top; py < bottom; ++py) {
        uint32_t* line = &s.pixels[static_cast<size_t>(y + py) * static_cast<size_t>(s.width)];
        for (int px = left; px < right; ++px) line[x + px] = image_pixel(picture, px, py);
    }
    s.changed = true;
}
