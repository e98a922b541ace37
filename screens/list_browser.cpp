// The list browser: one index entry at a time on the 250x450 window, with a
// button bar worked by the mouse and by held keys, one pass every 99 ms.
#include "screens/list_browser.h"

#include <algorithm>
#include <cstdint>

#include "screens/picture_waits.h"
#include "screens/screens.h"
#include "shell/services.h"
#include "shell/text.h"

namespace {

constexpr uint32_t red = 0xFF0000;
constexpr uint32_t light_blue = 0x16BDFF;
constexpr uint32_t white = 0xFFFFFF;
constexpr uint32_t yellow = 0xFFFF00;

constexpr int grid_columns = 30, grid_rows = 27;
constexpr int hint_row = 23;
constexpr int left_button = 1;

constexpr int key_v = 47, key_q = 16, key_left = 75, key_right = 77, key_p = 25;

enum class action { none, view, previous, next, own, export_recipe, edit, leave };

// Prints from the top of a cleared grid and stops at its last cell, so a long
// text never scrolls the counter line away.
struct fitting_printer {
    int used = 0;  // cells from row 1, column 1 up to the cursor

    void print(const std::string& text, bool line_end) {
        const int room = grid_columns * grid_rows - used;
        if (room <= 0) return;
        const std::string part = text.substr(0, static_cast<size_t>(room));
        print_text(part, line_end);
        used += static_cast<int>(part.size());
        // A line end after a text that filled its row exactly adds no row.
        if (line_end && (part.empty() || used % grid_columns != 0)) used = (used / grid_columns + 1) * grid_columns;
    }
};

int index_position(const list_browser& browser) {
    return browser.setup.index_position ? browser.setup.index_position(browser.position) : browser.position;
}

void draw_shown_entry(list_browser& browser) {
    clear_screen();
    locate(1, 1);
    fitting_printer out;
    set_colour(red, -1);
    out.print(int_to_text(browser.position) + " of " + int_to_text(browser.count), true);
    if (browser.setup.second_line) {
        set_colour(yellow, -1);
        out.print(browser.setup.second_line(browser), true);
    }
    const index_entry entry = shown_entry(browser);
    set_colour(light_blue, -1);
    out.print("", true);
    out.print("Recipe Name:", true);
    set_colour(white, -1);
    out.print(entry.name, true);
    out.print("", true);
    set_colour(light_blue, -1);
    out.print("Author:", true);
    set_colour(white, -1);
    out.print(entry.author, true);
    out.print("", true);
    set_colour(light_blue, -1);
    out.print("From:", true);
    set_colour(white, -1);
    out.print(entry.source, true);
    // The file is read afresh at every draw; a name that may not be opened
    // reads as a missing file.
    browser.shown = is_safe_file_name(entry.file_name) ? read_recipe_heading(entry.file_name) : recipe{};
    out.print("", true);
    set_colour(light_blue, -1);
    out.print("Serves:", false);
    set_colour(white, -1);
    out.print(browser.shown.servings != 0 ? int_to_text(browser.shown.servings) : " N/A", true);
    out.print("", true);
    set_colour(light_blue, -1);
    out.print(browser.shown.description, true);
    set_colour(white, -1);
    draw_picture(0, 370, browser.setup.bar);
}

// Loads the browsed index; false when it is empty and the screen ends.
bool load(list_browser& browser, int position) {
    browser.count = browser.setup.load();
    if (browser.count <= 0) return false;
    browser.position = std::clamp(position, 1, browser.count);
    draw_shown_entry(browser);
    return true;
}

const char* option_hint(int x, const list_browser_setup& setup) {
    if (x >= 1 && x <= 61) return "(V) View Recipe     ";
    if (x >= 63 && x <= 124) return setup.own_hint.c_str();
    if (x >= 126 && x <= 186) return "(P) Export Recipe   ";
    if (x >= 188 && x <= 249) return "(Q) Return to Menu  ";
    return nullptr;
}

action option_action(int x) {
    if (x <= 61) return action::view;
    if (x <= 124) return action::own;
    if (x <= 186) return action::export_recipe;
    return action::leave;
}

action strip_action(int x, bool has_edit) {
    if (!has_edit) return x <= 124 ? action::previous : x >= 126 ? action::next : action::none;
    if (x <= 96) return action::previous;
    if (x >= 98 && x <= 162) return action::edit;
    if (x >= 164) return action::next;
    return action::none;
}

// The mouse's part of a pass: hints on the hint line and clicks.
action read_mouse(const list_browser_setup& setup) {
    const mouse_reading m = poll_mouse();
    if (m.x < 1) return action::none;
    const bool left = (m.buttons & left_button) != 0;
    if (m.y >= 391) {
        const char* hint = option_hint(m.x, setup);
        if (!hint) return action::none;
        locate(hint_row, 1);
        print_text(hint, true);
        return left ? option_action(m.x) : action::none;
    }
    const action chosen = m.y >= 371 && left ? strip_action(m.x, setup.strip_has_edit) : action::none;
    locate(hint_row, 1);
    print_text(std::string(21, ' '), true);
    return chosen;
}

// Held keys in the screen's order: a later key wins, and any key wins over
// the mouse.
action read_keys(const list_browser_setup& setup, action chosen) {
    const struct {
        int key;
        action act;
    } keys[] = {
        {key_v, action::view},
        {key_q, action::leave},
        {key_left, action::previous},
        {key_right, action::next},
        {setup.own_key_before_export ? setup.own_key : key_p,
         setup.own_key_before_export ? action::own : action::export_recipe},
        {setup.own_key_before_export ? key_p : setup.own_key,
         setup.own_key_before_export ? action::export_recipe : action::own},
    };
    for (const auto& k : keys)
        if (key_held(k.key)) chosen = k.act;
    return chosen;
}

void after_sub_screen(list_browser& browser) {
    if (browser.setup.title_after_sub_screen) set_window_title(browser.setup.title);
    draw_shown_entry(browser);
}

}  // namespace

const index_entry& shown_entry(const list_browser& browser) { return index_at(index_position(browser)); }

list_browser_setup begin_list_screen(const std::string& title, const std::string& bar_picture) {
    set_window_title(title);
    std::vector<std::optional<image>> pictures = load_data_pictures({bar_picture, "cont.jpg"});
    list_browser_setup setup;
    setup.title = title;
    setup.bar = std::move(pictures[0]);
    setup.continue_picture = std::move(pictures[1]);
    return setup;
}

void run_list_browser(list_browser_setup setup) {
    list_browser browser;
    browser.setup = std::move(setup);
    if (!load(browser, 1)) return;
    for (;;) {
        pause(99);
        action chosen = read_mouse(browser.setup);
        chosen = read_keys(browser.setup, chosen);
        if (chosen == action::none) continue;
        // View, Export and Edit hand on only a name that may be opened.
        const std::string file_name = shown_entry(browser).file_name;
        const bool usable = is_safe_file_name(file_name);
        switch (chosen) {
        case action::none: break;
        case action::view:
            if (!usable) break;
            if (browser.setup.view_waits_for_key) wait_key();
            view_recipe(file_name);
            after_sub_screen(browser);
            break;
        case action::previous:
            if (browser.position > 1) --browser.position;
            draw_shown_entry(browser);
            break;
        case action::next:
            if (browser.position < browser.count) ++browser.position;
            draw_shown_entry(browser);
            break;
        case action::export_recipe:
            if (!usable) break;
            export_recipe(file_name);
            after_sub_screen(browser);
            break;
        case action::edit:
            if (!usable) break;
            edit_recipe(file_name);
            return;
        case action::leave: set_mouse(1, 1, -1); return;
        case action::own:
            switch (browser.setup.own_action(browser)) {
            case browser_next::draw_same: draw_shown_entry(browser); break;
            case browser_next::reload_first:
                if (!load(browser, 1)) return;
                break;
            case browser_next::reload_keep:
                if (!load(browser, browser.position)) return;
                break;
            case browser_next::end: return;
            }
            break;
        }
    }
}

void add_shown_to_favourites(list_browser& browser) {
    add_favourite({browser.shown.name, browser.shown.author, browser.shown.source, shown_entry(browser).file_name});
    const bool failed = last_error() != 0;
    clear_screen();
    set_colour(failed ? red : white, -1);
    print_text(failed ? "Recipe could not be" : "Recipe added", true);
    print_text(failed ? "added to Favorites!" : "to Favorites.", true);
    set_colour(white, -1);
    continue_wait(browser.setup.continue_picture);
    set_mouse(1, 1, -1);
}
