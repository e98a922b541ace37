// The Search screen, driven whole through the scripted platform.
#include <filesystem>
#include <string>
#include <vector>

#include "screens/screens.h"
#include "tests/browser_fixture.h"

namespace {

namespace fs = std::filesystem;

constexpr int escape = 1, key_a = 30, key_p = 25, key_q = 16, key_v = 47, left = 75, right = 77;
constexpr uint32_t white = 0xFFFFFF, yellow = 0xFFFF00, green = 0x00FF00;

// `count` entries "r1".."rN" with files "1.rcp".."N.rcp".
std::string numbered_index(int count) {
    std::string bytes = std::to_string(count) + "\r\n";
    for (int i = 1; i <= count; ++i) bytes += index_line("r" + std::to_string(i), "", "", std::to_string(i) + ".rcp");
    return bytes;
}

uint32_t colour_at(int row, int column) { return cell_at(row, column).foreground; }

class search : public list_screen_test {
protected:
    std::vector<rows> screens;  // the rows at each remembered moment, in order

    // A fresh script for a second run in the same test.
    void restart() {
        script::reset();
        script::set_executable_dir(dir.string());
        open_window(250, 450, 32);
        set_text_grid(30, 27);
    }
    // The delay lets the screen finish what the step before started.
    void remember_screen(int delay_ms = 150) {
        script::call([this] { screens.push_back(printed_rows()); }, delay_ms);
    }
    static void answer(const rows& lines) {
        for (const auto& text : lines) script::line(text);
    }
    // Remembers the screen at the continue wait and ends the wait.
    void end_continue_wait() {
        remember_screen(10000);
        script::press(escape);
    }
};

// ---- asking ------------------------------------------------------------------

TEST_F(search, an_empty_index_or_an_empty_text_ends_the_screen_at_once) {
    search_recipes(1);  // no default.ldr at all
    EXPECT_TRUE(printed_rows().empty());
    EXPECT_TRUE(script::window().titles.empty());

    write_whole_file("default.ldr", numbered_index(2));
    answer({"   "});
    search_recipes(2);
    EXPECT_EQ(printed_rows(),
              (rows{"Enter the text to", "search for.", "Search is not", "case-sensitive.", "", ">"}));
    EXPECT_EQ(script::window().title, "Search Authors");
    EXPECT_EQ(script::pending_steps(), 1);  // Enter's release
}

TEST_F(search, no_match_shows_the_message_under_the_yellow_prompt_until_escape) {
    write_whole_file("default.ldr", "1\r\n" + index_line("Pie", "Ann", "Book", "1.rcp"));
    answer({"zz, Pie"});  // the text ends at its comma
    end_continue_wait();
    search_recipes(3);
    ASSERT_EQ(screens.size(), 1u);
    EXPECT_EQ(screens[0], (rows{"Enter the text to", "search for.", "Search is not", "case-sensitive.", "",
                                ">zz, Pie", "", "No matches found."}));
    EXPECT_EQ(colour_at(5, 1), white);
    EXPECT_EQ(colour_at(6, 1), yellow);
    EXPECT_EQ(colour_at(6, 8), yellow);
    EXPECT_EQ(colour_at(8, 1), yellow);
    EXPECT_EQ(screen().foreground, white);
    EXPECT_EQ(script::window().title, "Search Sources");
    EXPECT_EQ(script::pointer_x(), 1);
    EXPECT_EQ(script::pointer_y(), 1);
}

TEST_F(search, other_modes_ask_nothing_and_find_nothing) {
    write_whole_file("default.ldr", numbered_index(1));
    end_continue_wait();
    search_recipes(5);
    EXPECT_EQ(screens[0], (rows{"", "No matches found."}));
    EXPECT_TRUE(script::window().titles.empty());
}

TEST_F(search, a_term_count_outside_1_to_10_returns_before_any_term) {
    write_whole_file("default.ldr", numbered_index(1));
    const rows asked = {"You can search for", "recipes with up to", "10 ingredients as ", "your search query.",
                        "How many ingredients", "would you like to ", "search?"};
    for (const std::string count : {"0", "11", "-1", "abc", "4294967297"}) {
        restart();
        answer({count});
        search_recipes(4);
        rows expected = asked;
        for (auto& row : expected) row = trimmed(row);
        expected.push_back("(0-10)>" + count);
        EXPECT_EQ(printed_rows(), expected) << count;
        EXPECT_EQ(script::window().title, "Search Ingredients");
    }
}

// ---- the ingredient search ---------------------------------------------------

TEST_F(search, thirty_recipes_give_a_full_row_of_dots_and_one_more_in_green) {
    write_whole_file("default.ldr", numbered_index(30));
    answer({"2.5", "salt", "pepper"});  // 2.5 asks for two terms
    end_continue_wait();
    search_recipes(4);
    ASSERT_EQ(screens.size(), 1u);
    EXPECT_EQ(screens[0], (rows{"You can search for", "recipes with up to", "10 ingredients as", "your search query.",
                                "How many ingredients", "would you like to", "search?", "(0-10)>2.5",
                                "Search Term 1:", ">salt", "Search Term 2:", ">pepper", "Searching Database",
                                std::string(30, '.'), ".", "", "No matches found."}));
    EXPECT_EQ(colour_at(8, 1), white);
    EXPECT_EQ(colour_at(10, 2), white);
    EXPECT_EQ(colour_at(13, 1), green);
    EXPECT_EQ(colour_at(14, 30), green);
    EXPECT_EQ(colour_at(15, 1), green);
    EXPECT_EQ(colour_at(17, 1), yellow);
}

TEST_F(search, the_pace_is_25_ms_a_recipe_and_keys_typed_meanwhile_stay_queued) {
    auto run_over = [this](int count) {
        restart();
        write_whole_file("default.ldr", numbered_index((count)));
        const double start = script::now();
        script::line("1");
        script::line("zzz");
        script::press(escape);  // typed during the search, it ends the wait at once
        search_recipes(4);
        return script::now() - start;
    };
    const double over_10 = run_over(10);
    const double over_50 = run_over(50);
    EXPECT_DOUBLE_EQ(over_50 - over_10, 40 * 0.025);
}

TEST_F(search, ten_terms_put_the_message_on_a_cleared_screen_clear_of_the_picture) {
    write_whole_file("default.ldr", numbered_index(3));
    answer({"10"});
    answer(numbered("t", 10));
    end_continue_wait();
    search_recipes(4);
    EXPECT_EQ(screens[0], (rows{"", "No matches found."}));
}

TEST_F(search, the_no_match_wait_ends_only_on_a_click_below_the_picture_top) {
    write_whole_file("default.ldr", numbered_index(1));
    answer({"zzz"});
    script::click(0, 440, 0, 500);
    script::click(100, 400, 0, 500);
    script::type("x", 500);  // other keys are dropped
    script::click(100, 401, 0, 500);
    script::wait(5000);
    search_recipes(1);
    EXPECT_EQ(script::pending_steps(), 1);  // only the wait after the last click
    EXPECT_EQ(script::pointer_x(), 1);
    EXPECT_EQ(script::pointer_y(), 1);
}

}  // namespace
