// Keyboard line input on the window: the line editor behind input_line and
// input_value.
#include <algorithm>
#include <cstdint>

#include "platform/input.h"
#include "platform/platform.h"
#include "platform/screen_state.h"
#include "shell/fields.h"
#include "shell/services.h"

namespace {

constexpr size_t longest_line = 4096;  // what a text field can store and read back

struct line_edit {
    std::string text;
    size_t caret = 0;
    int start_row = 1, start_column = 1;  // where the text begins on the grid
    size_t shown = 0;                      // length drawn last time
};

// Grid offset of a place in the text, counted from the grid's first cell.
long grid_offset(const line_edit& edit, size_t place) {
    const screen_state& s = screen();
    return static_cast<long>(edit.start_row - 1) * s.columns + (edit.start_column - 1) + static_cast<long>(place);
}

void draw_caret(const line_edit& edit) {
    screen_state& s = screen();
    long offset = grid_offset(edit, edit.caret);
    if (s.columns <= 0 || offset < 0 || offset >= static_cast<long>(s.columns) * s.rows) return;
    int x0 = static_cast<int>(offset % s.columns) * s.cell_width;
    int y0 = static_cast<int>(offset / s.columns) * s.cell_height;
    for (int y = y0 + s.cell_height - 2; y < y0 + s.cell_height; ++y)
        for (int x = x0; x < x0 + s.cell_width; ++x)
            s.pixels[static_cast<size_t>(y) * s.width + x] = s.foreground;
    s.changed = true;
}

// Prints the text from its start, blanks over what a deletion left behind,
// and follows the start up when printing scrolled the grid.
void redraw(line_edit& edit, bool with_caret) {
    screen_state& s = screen();
    std::string out = edit.text;
    if (edit.shown > edit.text.size()) out.append(edit.shown - edit.text.size(), ' ');
    out.push_back(' ');  // the caret's cell at the end, cleared of an old caret
    long first = grid_offset(edit, 0);
    size_t skip = 0;
    if (first < 0) {  // the beginning scrolled off the top: show the rest
        skip = static_cast<size_t>(-first);
        if (skip >= out.size()) return;
    }
    long last_cell = static_cast<long>(s.columns) * s.rows;
    if (first + static_cast<long>(out.size()) >= last_cell && first + static_cast<long>(edit.text.size()) < last_cell)
        out.pop_back();  // don't scroll just for the caret's cell
    int scrolled_before = s.scrolled;
    if (first < 0)
        locate(1, 1);
    else
        locate(edit.start_row, edit.start_column);
    print_text(out.substr(skip), false);
    edit.start_row -= s.scrolled - scrolled_before;
    edit.shown = edit.text.size();
    if (with_caret) draw_caret(edit);
}

void insert(line_edit& edit, const std::string& chars) {
    size_t room = longest_line - std::min(longest_line, edit.text.size());
    std::string part = chars.substr(0, room);
    edit.text.insert(edit.caret, part);
    edit.caret += part.size();
}

// Applies one key; true when the key ends the input.
bool apply_key(line_edit& edit, int code) {
    const int row_width = std::max(1, screen().columns);
    switch (code) {
    case 13:
    case 10:
        return true;
    case 8:
        if (edit.caret > 0) edit.text.erase(--edit.caret, 1);
        break;
    case 9:
        insert(edit, std::string(8 - edit.caret % 8, ' '));
        break;
    case 27:
        edit.text.clear();
        edit.caret = 0;
        break;
    case extended_key + 83:  // Delete
        if (edit.caret < edit.text.size())
            edit.text.erase(edit.caret, 1);
        else
            platform_beep();
        break;
    case extended_key + 75: if (edit.caret > 0) --edit.caret; break;
    case extended_key + 77: if (edit.caret < edit.text.size()) ++edit.caret; break;
    case extended_key + 71: edit.caret = 0; break;
    case extended_key + 79: edit.caret = edit.text.size(); break;
    case extended_key + 72: edit.caret = edit.caret > static_cast<size_t>(row_width) ? edit.caret - row_width : 0; break;
    case extended_key + 80: edit.caret = std::min(edit.text.size(), edit.caret + row_width); break;
    default:
        if (code >= 32 && code <= 255) insert(edit, std::string(1, static_cast<char>(code)));
        break;
    }
    return false;
}

std::string edit_line() {
    screen_state& s = screen();
    line_edit edit;
    if (s.scroll_pending) {  // the prompt filled the last row: free a row first
        print_text(" ", false);
        locate(s.rows, 1);
    }
    edit.start_row = s.row;
    edit.start_column = s.column;
    redraw(edit, true);
    for (;;) {
        pump_and_present();
        bool changed = false;
        while (int code = take_key_code()) {
            changed = true;
            if (apply_key(edit, code)) {
                // Leave the cursor right after the text, with no caret drawn.
                edit.caret = edit.text.size();
                redraw(edit, false);
                long end = grid_offset(edit, edit.text.size());
                if (end >= 0 && end < static_cast<long>(s.columns) * s.rows)
                    locate(static_cast<int>(end / s.columns) + 1, static_cast<int>(end % s.columns) + 1);
                return edit.text;
            }
        }
        if (changed) redraw(edit, true);
        platform_sleep(25);
    }
}

}  // namespace

std::string input_line(const std::string& prompt, bool question_mark, bool line_end) {
    print_text(prompt + (question_mark ? "? " : ""), false);
    if (!screen().open) return "";
    std::string text = edit_line();
    if (line_end) print_text("", true);
    return text;
}

std::string input_value(const std::string& prompt, bool question_mark, bool line_end) {
    std::string line = input_line(prompt, question_mark, line_end);
    size_t pos = 0;
    return read_text_field(line, pos, true);
}

int64_t input_number(const std::string& prompt, bool question_mark, bool line_end) {
    std::string line = input_line(prompt, question_mark, line_end);
    size_t pos = 0;
    return read_number_from(line, pos);
}
