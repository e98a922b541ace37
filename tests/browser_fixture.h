#pragma once
// Shared set-up for tests of the list screens: the 250x450 window with its
// text grid, recipe files and index lines written the way the program does.
#include <functional>
#include <string>
#include <vector>

#include "platform/input.h"
#include "platform/platform_script.h"
#include "platform/screen_state.h"
#include "shell/services.h"
#include "tests/screen_rows.h"
#include "tests/test_support.h"

inline std::string quoted(const std::string& text) { return "\"" + text + "\""; }

inline std::string index_line(const std::string& name, const std::string& author, const std::string& source,
                              const std::string& file) {
    return quoted(name) + "," + quoted(author) + "," + quoted(source) + "," + quoted(file) + "\r\n";
}

inline std::string recipe_text(const std::string& name, const std::string& author, const std::string& source,
                               const std::string& description, int servings, const rows& ingredients,
                               const rows& directions) {
    std::string bytes = quoted(name) + "," + quoted(author) + "," + quoted(source) + "\r\n" + quoted(description) +
                        "," + std::to_string(servings) + "\r\n" + std::to_string(ingredients.size()) + "\r\n";
    for (const auto& item : ingredients) bytes += quoted(item) + "\r\n";
    bytes += std::to_string(directions.size()) + "\r\n";
    for (const auto& item : directions) bytes += quoted(item) + "\r\n";
    return bytes;
}

inline const text_cell& cell_at(int row, int column) {
    const screen_state& s = screen();
    return s.cells.at(static_cast<size_t>((row - 1) * s.columns + (column - 1)));
}

class list_screen_test : public larder_test {
protected:
    void SetUp() override {
        larder_test::SetUp();
        open_window(250, 450, 32);
        set_text_grid(30, 27);
    }
    // Steps one polling pass (99 ms) apart: each lands in its pass's mouse
    // poll, before the pass tests its keys.
    static constexpr int pass_ms = 99;
    static void press(int scancode) { script::press(scancode, pass_ms); }
    static void key_down(int scancode) { script::key_down(scancode, pass_ms); }
    static void key_up(int scancode) { script::key_up(scancode, pass_ms); }
    static void click(int x, int y, int button = 0) { script::click(x, y, button, pass_ms); }
    static void move(int x, int y) { script::move(x, y, pass_ms); }
    static void type(const std::string& text) { script::type(text, pass_ms); }
    // A letter key as a keyboard gives it: held, and its character typed.
    static void press_letter(int scancode, const std::string& letter) {
        at_next_pass([scancode, letter] {
            feed_key_down(scancode);
            feed_text(letter);
        });
        script::key_up(scancode);
    }
    // Keys that go down together, in one pass.
    static void hold_together(std::vector<int> scancodes) {
        at_next_pass([scancodes] {
            for (int code : scancodes) feed_key_down(code);
        });
        script::call([scancodes] {
            for (int code : scancodes) feed_key_up(code);
        });
    }
    static void idle_pass() { script::wait(pass_ms); }
    static void at_next_pass(std::function<void()> action) { script::call(std::move(action), pass_ms); }

    std::vector<rows> shots;  // the grid's rows at each snap, in order
    // Remembers the grid as the last pass left it.
    void snap() {
        at_next_pass([this] { shots.push_back(printed_rows()); });
    }
};
