// The Search screen, driven whole through the scripted platform.
#include <algorithm>
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
    for (const std::string count : {"0", "11", "-1", "abc", "4294967297"}) {
        restart();
        answer({count});
        search_recipes(4);
        EXPECT_EQ(last_rows(printed_rows(), 2), (rows{"search?", "(0-10)>" + count})) << count;
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
    EXPECT_EQ(colour_at(10, 2), white);
    EXPECT_EQ(colour_at(13, 1), green);
    EXPECT_EQ(colour_at(15, 1), green);
    EXPECT_EQ(colour_at(17, 1), yellow);
}

TEST_F(search, the_pace_is_25_ms_a_recipe_and_keys_typed_meanwhile_stay_queued) {
    auto run_over = [this](int count) {
        restart();
        write_whole_file("default.ldr", numbered_index(count));
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

// ---- the result list ---------------------------------------------------------

// One entry's name and source hold Windows-1252 letters.
const std::string fields_index =
    "4\r\n" + index_line("Apple PIE", "Ann", "Pie book", "1.rcp") + index_line("Pear tart", "pie man", "", "2.rcp") +
    index_line("\xC9" "CLAIRS", "Bea", "Stra\xDF" "e", "3.rcp") + index_line("pie", "", "Home", "4.rcp");

TEST_F(search, each_mode_tests_its_own_field_whatever_the_case_in_index_order) {
    struct run {
        int mode;
        std::string text;
        rows shown;  // counter and name of each result
    };
    const std::vector<run> runs = {
        {1, "pie", {"1 of 2 Apple PIE", "2 of 2 pie"}},
        {2, "PIE", {"1 of 1 Pear tart"}},
        {3, "PIE", {"1 of 1 Apple PIE"}},
        {1, "\xC3\xA9" "clair", {"1 of 1 \xC9" "CLAIRS"}},  // "éclair" finds "ÉCLAIRS"
        {3, "ss", {}},                                   // and "ss" no "ß"
    };
    for (const run& r : runs) {
        restart();
        shots.clear();
        write_whole_file("default.ldr", fields_index);
        answer({r.text});
        for (size_t i = 0; i < r.shown.size(); ++i) {
            snap();
            press(right);
        }
        if (r.shown.empty()) end_continue_wait();
        press(key_q);
        search_recipes(static_cast<uint8_t>(r.mode));
        rows shown;
        for (const rows& shot : shots) shown.push_back(shot[0] + " " + shot[3]);
        EXPECT_EQ(shown, r.shown) << r.mode << " " << r.text;
        if (!shown.empty()) {
            EXPECT_EQ(colour_at(1, 1), 0xFF0000u);
        }
    }
}

// Results 1, 4 and 5 with 2, 1 and 3 matching lines of three terms.
class ingredient_results : public search {
protected:
    void SetUp() override {
        search::SetUp();
        write_whole_file("default.ldr", "5\r\n" + index_line("Eggs", "", "", "1.rcp") +
                                            index_line("Missing", "", "", "2.rcp") +
                                            index_line("Long", "", "", "3.rcp") + index_line("Cake", "Cy", "", "4.rcp") +
                                            index_line("Tart", "", "", "5.rcp"));
        write_whole_file("1.rcp", recipe_text("Eggs", "", "", "", 1, {"2 EGGS", "egg yolk", "salt"}, {}));
        rows waters(60, "water");
        waters[54] = "flour";  // only the first 50 are read
        write_whole_file("3.rcp", recipe_text("Long", "", "", "", 1, waters, {}));
        write_whole_file("4.rcp", cake);
        write_whole_file("5.rcp", recipe_text("Tart", "", "", "", 1, {"egg", "Flour", "eggs"}, {}));
        answer({"3", "egg", "", "flour"});  // the empty term counts in n
        script::wait(1000);                  // the search is over
    }
    // Line 1 of the file unlike its index entry.
    const std::string cake = recipe_text("Flour Cake!", "Cy", "Book", "Moist", 8, {"flour and eggs", "milk"}, {"Bake."});
    static std::string counter_and_score(const rows& shot) { return shot[0] + " " + shot[1]; }
};

TEST_F(ingredient_results, each_result_keeps_its_score_in_index_order_within_1_to_r) {
    snap();
    for (int step = 0; step < 3; ++step) {
        press(right);
        snap();
    }
    for (int step = 0; step < 3; ++step) press(left);
    snap();
    press(key_q);
    search_recipes(4);
    ASSERT_EQ(shots.size(), 5u);
    rows seen;
    for (const rows& shot : shots) seen.push_back(counter_and_score(shot));
    EXPECT_EQ(seen, (rows{"1 of 3 Meta Score: 66", "2 of 3 Meta Score: 33", "3 of 3 Meta Score: 100",
                          "3 of 3 Meta Score: 100", "1 of 3 Meta Score: 66"}));
    EXPECT_EQ(shots[1], (rows{"2 of 3", "Meta Score: 33", "", "Recipe Name:", "Cake", "", "Author:", "Cy", "", "From:",
                              "", "", "Serves:8", "", "Moist"}));
    EXPECT_EQ(colour_at(2, 1), yellow);
    EXPECT_EQ(colour_at(4, 1), 0x16BDFFu);
    EXPECT_EQ(script::pointer_x(), 1);
}

TEST_F(search, an_ingredient_term_ends_at_its_comma) {
    write_whole_file("default.ldr", "3\r\n" + index_line("Salted", "", "", "1.rcp") +
                                        index_line("Peppered", "", "", "2.rcp") + index_line("Both", "", "", "3.rcp"));
    write_whole_file("1.rcp", recipe_text("Salted", "", "", "", 1, {"salt"}, {}));
    write_whole_file("2.rcp", recipe_text("Peppered", "", "", "", 1, {"pepper"}, {}));
    write_whole_file("3.rcp", recipe_text("Both", "", "", "", 1, {"salt, pepper"}, {}));
    std::vector<rows> found;
    for (const std::string term : {"salt", "salt, pepper"}) {
        restart();
        shots.clear();
        answer({"1", term});
        script::wait(1000);
        snap();
        press(right);
        snap();
        press(key_q);
        search_recipes(4);
        rows shown;
        for (const rows& shot : shots) shown.push_back(shot[0] + " " + shot[4]);
        found.push_back(shown);
    }
    EXPECT_EQ(found[0], (rows{"1 of 2 Salted", "2 of 2 Both"}));
    EXPECT_EQ(found[1], found[0]);
}

TEST_F(search, sixty_matches_page_up_to_the_last_and_back) {
    write_whole_file("default.ldr", numbered_index(60));
    answer({"R"});
    key_down(right);
    script::wait(65 * pass_ms);
    key_up(right);
    snap();
    for (int step = 0; step < 9; ++step) press(left);
    snap();
    press(key_q);
    search_recipes(1);
    EXPECT_EQ(shots[0][0], "60 of 60");
    EXPECT_EQ(shots[0][3], "r60");
    EXPECT_EQ(shots[1][0], "51 of 60");
    EXPECT_EQ(shots[1][3], "r51");
}

TEST_F(ingredient_results, add_to_favorites_on_result_2_shows_result_2_again) {
    std::string old_favs = "8\r\n";
    for (int i = 1; i <= 8; ++i) old_favs += index_line("Fav " + std::to_string(i), "", "", "f.rcp");
    write_whole_file("favs.ldr", old_favs);
    press(right);
    press(key_a);
    snap();
    script::type("\x1B", 200);
    snap();
    press(key_q);
    search_recipes(4);
    EXPECT_EQ(shots[0], (rows{"Recipe added", "to Favorites."}));
    EXPECT_EQ(counter_and_score(shots[1]), "2 of 3 Meta Score: 33");
    EXPECT_EQ(shots[1][4], "Cake");
    std::string new_favs = old_favs + index_line("Flour Cake!", "Cy", "Book", "4.rcp");
    new_favs[0] = '9';
    EXPECT_EQ(read_whole_file("favs.ldr"), new_favs);
    EXPECT_EQ(read_whole_file("favs.bak"), old_favs);
}

TEST_F(ingredient_results, a_failed_add_writes_nothing_and_says_so) {
    fs::create_directory("favs.ldr");
    press(right);
    press(key_a);
    snap();
    click(1, 401);
    snap();
    press(key_q);
    search_recipes(4);
    EXPECT_EQ(shots[0], (rows{"Recipe could not be", "added to Favorites!"}));
    EXPECT_EQ(counter_and_score(shots[1]), "2 of 3 Meta Score: 33");
    EXPECT_TRUE(fs::is_directory("favs.ldr"));
    EXPECT_FALSE(fs::exists("favs.bak"));
}

TEST_F(ingredient_results, view_and_export_act_on_result_2_and_keep_the_sub_screens_title) {
    press(right);
    press(key_v);
    script::call([this] { screens.push_back({row_text(1)}); }, 200);  // in the viewer
    script::press(escape);
    snap();
    press(key_p);
    script::answer_save_dialog((dir / "out.rcp").string(), 2);
    snap();
    press(key_q);
    search_recipes(4);
    EXPECT_EQ(trimmed(screens[0][0]), "Flour Cake! by Cy");
    EXPECT_EQ(counter_and_score(shots[0]), "2 of 3 Meta Score: 33");
    EXPECT_EQ(counter_and_score(shots[1]), "2 of 3 Meta Score: 33");
    EXPECT_EQ(read_whole_file("out.rcp"), cake);
    const auto& titles = script::window().titles;
    EXPECT_EQ(rows(titles.begin(), titles.end()),
              (rows{"Search Ingredients", "Recipe Viewer", "Recipe Exporter"}));
}

TEST_F(ingredient_results, edit_hands_result_2_to_the_editor_and_the_screen_ends) {
    press(right);
    // Without its file the editor says so and waits, which shows it was
    // handed this result's name; any other file would start its questions.
    at_next_pass([] { fs::remove("4.rcp"); });
    click(120, 380);
    remember_screen(300);
    script::press(escape, 200);
    search_recipes(4);
    ASSERT_EQ(screens.size(), 1u);
    EXPECT_NE(std::find(screens[0].begin(), screens[0].end(), "Recipe could not be read!"), screens[0].end());
    EXPECT_EQ(script::window().titles.back(), "Recipe Editor");
    EXPECT_EQ(script::pending_steps(), 1);  // only Escape's release
}

}  // namespace
