// Favourite recipes on the list browser: loading, Remove from List, the
// sub-screens; and Edit from Browsing recipes.
#include <algorithm>
#include <filesystem>

#include "platform/platform_script.h"
#include "screens/screens.h"
#include "tests/browser_fixture.h"
#include "tests/file_size_limit.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t red = 0xFF0000, white = 0xFFFFFF;
constexpr int key_d = 32, key_p = 25, key_q = 16, key_v = 47, key_right = 77;

const std::string default_index = "3\r\n" + index_line("Apple", "Bea", "", "1.rcp") +
                                  index_line("Bread", "Cy", "", "2.rcp") + index_line("Soup", "Ann", "Home", "3.rcp");
const std::string fav_1 = index_line("Apple (fav)", "Bea", "", "1.rcp");
const std::string fav_2 = index_line("Bread (fav)", "Cy", "", "2.rcp");
const std::string fav_3 = index_line("Soup (fav)", "Ann", "Home", "3.rcp");
const std::string three_favs = "3\r\n" + fav_1 + fav_2 + fav_3;

class favourites : public list_screen_test {
protected:
    void SetUp() override {
        list_screen_test::SetUp();
        write_whole_file("default.ldr", default_index);
        for (int i = 1; i <= 3; ++i) write_whole_file(std::to_string(i) + ".rcp", recipe_file(i));
        write_whole_file("favs.ldr", three_favs);
    }
    static std::string recipe_file(int i) {
        return recipe_text(std::string("R").append(std::to_string(i)), "", "", std::string("Dish ").append(std::to_string(i)), i, {"salt"}, {"Stir."});
    }
    void expect_recipes_unchanged() {
        EXPECT_EQ(read_whole_file("default.ldr"), default_index);
        for (int i = 1; i <= 3; ++i) EXPECT_EQ(read_whole_file(std::to_string(i) + ".rcp"), recipe_file(i));
    }
    std::vector<std::string> names;  // the recipe name on show at each note
    void note_name() {
        at_next_pass([this] { names.push_back(trimmed(row_text(1)) + " " + trimmed(row_text(4))); });
    }
};

TEST_F(favourites, a_missing_unreadable_or_empty_list_ends_at_once_with_nothing_drawn) {
    for (const char* held : {"", "0\r\n", "-3\r\n", "abc\r\n", "dir"}) {
        fs::remove_all("favs.ldr");
        if (std::string(held) == "dir")
            fs::create_directory("favs.ldr");
        else if (*held)
            write_whole_file("favs.ldr", held);
        script::reset();
        script::set_executable_dir(dir.string());
        open_window(250, 450, 32);
        set_text_grid(30, 27);
        press(key_q);
        show_favourites();
        EXPECT_EQ(script::pending_steps(), 2) << held;
        EXPECT_TRUE(printed_rows().empty()) << held;
        EXPECT_EQ(script::window().title, "Favorite Recipes");
    }
    EXPECT_FALSE(fs::exists("favs.bak"));
    expect_recipes_unchanged();
}

TEST_F(favourites, remove_from_list_keeps_the_others_in_order_and_shows_favourite_1_again) {
    const std::string others[] = {"2\r\n" + fav_2 + fav_3, "2\r\n" + fav_1 + fav_3, "2\r\n" + fav_1 + fav_2};
    for (int shown = 1; shown <= 3; ++shown) {
        write_whole_file("favs.ldr", three_favs);
        shots.clear();
        names.clear();
        move(50, 200);
        for (int step = 1; step < shown; ++step) press(key_right);
        note_name();
        press(key_d);
        snap();
        at_next_pass([] {
            EXPECT_EQ(cell_at(1, 1).foreground, red);
            EXPECT_EQ(cell_at(2, 19).foreground, red);
            EXPECT_EQ(screen().foreground, white);
        });
        type("\x1B");
        at_next_pass([] { EXPECT_EQ(script::pointer_x() + script::pointer_y(), 2); });
        note_name();
        press(key_q);
        show_favourites();
        EXPECT_EQ(shots[0], (rows{"Recipe removed", "from favorites list"}));
        EXPECT_EQ(names.back(), "1 of 2 " + std::string(shown == 1 ? "Bread (fav)" : "Apple (fav)"));
        EXPECT_EQ(read_whole_file("favs.ldr"), others[shown - 1]) << shown;
        EXPECT_EQ(read_whole_file("favs.bak"), three_favs);
    }
    EXPECT_EQ(names.front(), "3 of 3 Soup (fav)");
    expect_recipes_unchanged();
}

TEST_F(favourites, one_of_two_equal_entries_goes_and_removing_the_last_ends_the_screen) {
    const std::string twice = "2\r\n" + fav_1 + fav_1;
    write_whole_file("favs.ldr", twice);
    press(key_right);
    press(key_d);
    type("\x1B");
    note_name();
    press(key_d);
    snap();
    type("\x1B");
    show_favourites();
    EXPECT_EQ(script::pending_steps(), 0);
    EXPECT_EQ(names, (std::vector<std::string>{"1 of 1 Apple (fav)"}));
    EXPECT_EQ(shots[0], (rows{"Recipe removed", "from favorites list"}));
    EXPECT_EQ(read_whole_file("favs.ldr"), "0\r\n");
    EXPECT_EQ(read_whole_file("favs.bak"), "1\r\n" + fav_1);
    expect_recipes_unchanged();
}

TEST_F(favourites, p_and_d_held_together_remove_and_a_count_beyond_the_entries_counts_what_is_there) {
    write_whole_file("favs.ldr", "5\r\n" + fav_1 + fav_2);
    note_name();
    hold_together({key_p, key_d});
    type("\x1B");
    press(key_q);
    show_favourites();
    EXPECT_TRUE(script::dialogs().empty());
    EXPECT_EQ(names, (std::vector<std::string>{"1 of 2 Apple (fav)"}));
    EXPECT_EQ(read_whole_file("favs.ldr"), "1\r\n" + fav_2);
}

TEST_F(favourites, a_removal_that_cannot_be_written_says_so_and_keeps_the_list) {
    snap();
    press(key_d);
    snap();
    at_next_pass([] { EXPECT_EQ(cell_at(1, 1).foreground, red); });
    click(1, 401);
    note_name();
    press(key_q);
    {
        file_size_limit limit(40);
        show_favourites();
    }
    EXPECT_EQ(shots[1], (rows{"Recipe could not be removed", "from favorites list"}));
    EXPECT_EQ(names, (std::vector<std::string>{"1 of 3 Apple (fav)"}));
    EXPECT_EQ(read_whole_file("favs.ldr"), three_favs);
}

TEST_F(favourites, view_waits_for_a_key_after_a_click_and_sets_the_title_again) {
    click(200, 380);  // Next, by the mouse: a key would stay queued for View
    click(30, 420);
    script::wait(1000);
    at_next_pass([] { EXPECT_EQ(script::window().title, "Favorite Recipes"); });
    type("k");  // the key View waits for
    idle_pass();
    at_next_pass([] { EXPECT_EQ(script::window().title, "Recipe Viewer"); });
    type("\x1B");
    note_name();
    press_letter(key_v, "v");
    at_next_pass([] { EXPECT_EQ(script::window().title, "Recipe Viewer"); });
    type("\x1B");
    press(key_q);
    show_favourites();
    const auto& titles = script::window().titles;
    EXPECT_EQ(std::count(titles.begin(), titles.end(), "Recipe Viewer"), 2);
    EXPECT_EQ(titles.back(), "Favorite Recipes");
    EXPECT_EQ(names, (std::vector<std::string>{"2 of 3 Bread (fav)"}));
}

// The editor's answers: Yes to the first question with a new title, No to
// the others, then Escape.
void edit_title(const std::string& title) {
    script::click(60, 420, 0, 99);
    script::wait(100);
    script::line(title);
    script::line("");
    script::line("");
    for (int question = 0; question < 3; ++question) {
        script::click(200, 420, 0, 99);
        script::wait(100);
    }
    script::key_down(1);
}

TEST_F(favourites, edit_changes_the_recipe_and_its_default_entry_and_ends_the_screen) {
    press(key_right);
    click(130, 380);
    edit_title("Brioche");
    show_favourites();
    EXPECT_EQ(script::pending_steps(), 0);
    EXPECT_EQ(script::window().title, "Recipe Editor");
    EXPECT_EQ(read_whole_file("favs.ldr"), three_favs);
    EXPECT_EQ(read_whole_file("2.rcp"), recipe_text("Brioche", "", "", "Dish 2", 2, {"salt"}, {"Stir."}));
    EXPECT_EQ(read_whole_file("default.ldr"), "3\r\n" + index_line("Apple", "Bea", "", "1.rcp") +
                                                  index_line("Brioche", "Cy", "", "2.rcp") +
                                                  index_line("Soup", "Ann", "Home", "3.rcp"));
}

TEST_F(favourites, edit_from_browsing_recipes_edits_the_shown_recipe_and_the_screen_ends) {
    press(key_right);
    press(key_right);
    click(98, 371);
    edit_title("Stew");
    browse_recipes();
    EXPECT_EQ(script::pending_steps(), 0);
    EXPECT_EQ(read_whole_file("3.rcp"), recipe_text("Stew", "", "", "Dish 3", 3, {"salt"}, {"Stir."}));
    EXPECT_EQ(read_whole_file("default.ldr"), "3\r\n" + index_line("Apple", "Bea", "", "1.rcp") +
                                                  index_line("Bread", "Cy", "", "2.rcp") +
                                                  index_line("Stew", "Ann", "Home", "3.rcp"));
    EXPECT_EQ(read_whole_file("favs.ldr"), three_favs);
}

}  // namespace
