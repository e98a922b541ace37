// The list browser through Browsing recipes, and with Recipe removal's
// set-up: drawing, moves, the mouse's areas, key order, Add to Favorites.
#include <unistd.h>

#include <filesystem>

#include "platform/input.h"
#include "platform/platform_script.h"
#include "screens/list_browser.h"
#include "screens/screens.h"
#include "tests/browser_fixture.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t red = 0xFF0000, light_blue = 0x16BDFF, white = 0xFFFFFF;
constexpr int key_a = 30, key_q = 16, key_v = 47, key_p = 25, key_r = 19, key_left = 75, key_right = 77;

const std::string three_entries = "3\r\n" + index_line("Apple pie", "Bea", "Gran", "1.rcp") +
                                  index_line("Bread", "", "", "2.rcp") + index_line("Soup", "Ann", "Home", "sub/../3.rcp");

class browsing : public list_screen_test {
protected:
    void SetUp() override {
        list_screen_test::SetUp();
        write_whole_file("default.ldr", three_entries);
        // Line 1 of the file differs from its index entry on purpose.
        write_whole_file("1.rcp", recipe_text("Apple Pie!", "B.", "G.", "Sweet", 4, {"apples"}, {"Bake."}));
        fs::create_directory("sub");
        write_whole_file("3.rcp", recipe_text("Soup", "Ann", "Home", "Hot", 2, {}, {}));
    }
    static void quit() { press(key_q); }
    static std::string counter() { return trimmed(row_text(1)); }
    std::vector<std::string> counters;
    void note_counter() {
        at_next_pass([this] { counters.push_back(counter()); });
    }
};

TEST_F(browsing, draws_the_entry_with_its_colours_and_reads_the_file_afresh) {
    snap();
    press(key_right);
    snap();
    press(key_right);
    snap();
    at_next_pass([] { write_whole_file("1.rcp", recipe_text("x", "", "", "Changed", 0, {}, {})); });
    press(key_left);
    press(key_left);
    snap();
    quit();
    browse_recipes();

    ASSERT_EQ(shots.size(), 4u);
    EXPECT_EQ(shots[0], (rows{"1 of 3", "", "Recipe Name:", "Apple pie", "", "Author:", "Bea", "", "From:", "Gran", "",
                              "Serves:4", "", "Sweet"}));
    // A missing file and a name with a ".." part both read as nothing.
    EXPECT_EQ(shots[1], (rows{"2 of 3", "", "Recipe Name:", "Bread", "", "Author:", "", "", "From:", "", "",
                              "Serves: N/A", "", ""}));
    EXPECT_EQ(shots[2][0], "3 of 3");
    EXPECT_EQ(shots[2][11], "Serves: N/A");
    EXPECT_EQ(shots[3][11], "Serves: N/A");
    EXPECT_EQ(shots[3][13], "Changed");
    EXPECT_EQ(script::window().title, "Browsing Recipes");
    EXPECT_EQ(script::window().titles.front(), "Browsing Recipes");
}

TEST_F(browsing, colours_of_counter_labels_values_and_description) {
    at_next_pass([] {
        EXPECT_EQ(cell_at(1, 1).foreground, red);
        EXPECT_EQ(cell_at(1, 6).foreground, red);
        for (int row : {3, 6, 9, 14}) EXPECT_EQ(cell_at(row, 1).foreground, light_blue) << row;
        for (int row : {4, 7, 10}) EXPECT_EQ(cell_at(row, 1).foreground, white) << row;
        EXPECT_EQ(cell_at(12, 7).foreground, light_blue);  // the colon of "Serves:"
        EXPECT_EQ(cell_at(12, 8).foreground, white);       // the servings
        EXPECT_EQ(screen().foreground, white);
    });
    quit();
    browse_recipes();
}

TEST_F(browsing, a_long_description_never_scrolls_the_counter_away) {
    write_whole_file("1.rcp", recipe_text("A", "", "", std::string(600, 'd'), 1, {}, {}));
    snap();
    quit();
    browse_recipes();
    EXPECT_EQ(shots[0][0], "1 of 3");
    EXPECT_EQ(shots[0][3], "Apple pie");
    EXPECT_EQ(screen().scrolled, 0);
}

TEST_F(browsing, held_arrows_step_once_a_pass_and_stop_at_the_ends_and_a_quick_tap_moves_once) {
    key_down(key_right);
    for (int i = 0; i < 4; ++i) note_counter();
    key_up(key_right);
    key_down(key_left);
    for (int i = 0; i < 3; ++i) note_counter();
    key_up(key_left);
    // Down and up between two passes.
    at_next_pass([] {
        feed_key_down(key_right);
        feed_key_up(key_right);
    });
    note_counter();
    note_counter();
    quit();
    browse_recipes();
    EXPECT_EQ(counters, (std::vector<std::string>{"2 of 3", "3 of 3", "3 of 3", "3 of 3", "2 of 3", "1 of 3",
                                                  "1 of 3", "2 of 3", "2 of 3"}));
}

TEST_F(browsing, one_recipe_redraws_one_of_one_and_an_empty_index_ends_at_once) {
    write_whole_file("default.ldr", "1\r\n" + index_line("Apple pie", "Bea", "Gran", "1.rcp"));
    press(key_right);
    note_counter();
    at_next_pass([] { clear_screen(); });
    press(key_left);
    note_counter();
    quit();
    browse_recipes();
    EXPECT_EQ(counters, (std::vector<std::string>{"1 of 1", "1 of 1"}));

    write_whole_file("default.ldr", "0\r\n");
    clear_screen();
    const int presents = script::window().presents;
    browse_recipes();
    EXPECT_EQ(counter(), "");
    EXPECT_EQ(script::window().presents, presents);
}

TEST_F(browsing, hints_follow_the_pointer_over_the_options_and_their_gaps) {
    std::vector<std::string> hints;
    auto hover = [&](int x, int y) {
        move(x, y);
        at_next_pass([&] { hints.push_back(row_text(23).substr(0, 21)); });
    };
    // Each gap follows a hint unlike those of its neighbours, so a gap that
    // printed one would show.
    hover(1, 449);
    hover(63, 391);
    hover(62, 391);  // gap: the hint stays
    hover(61, 420);
    hover(124, 449);
    hover(126, 420);
    hover(125, 420);  // gap
    hover(188, 420);
    hover(187, 420);  // gap
    hover(186, 420);
    hover(249, 391);
    script::leave(pass_ms);  // leaving keeps it
    at_next_pass([&] { hints.push_back(row_text(23).substr(0, 21)); });
    hover(200, 390);  // the strip erases it
    quit();
    browse_recipes();
    const std::string view = "(V) View Recipe      ", add = "(A) Add to Favorites ", exp = "(P) Export Recipe    ",
                      back = "(Q) Return to Menu   ", blank(21, ' ');
    EXPECT_EQ(hints,
              (std::vector<std::string>{view, add, add, view, add, exp, exp, back, back, exp, back, back, blank}));
}

TEST_F(browsing, a_gap_keeps_the_hint_of_the_option_on_either_side_and_a_click_there_does_nothing) {
    std::vector<std::string> hints;
    auto hover = [&](int x) {
        move(x, 420);
        at_next_pass([&] { hints.push_back(row_text(23).substr(0, 20)); });
    };
    for (int gap : {62, 125, 187}) {
        hover(gap - 1);
        hover(gap);
        hover(gap + 1);
        hover(gap);
        click(gap, 420);
    }
    note_counter();
    quit();
    browse_recipes();
    const std::string view = "(V) View Recipe     ", add = "(A) Add to Favorites", exp = "(P) Export Recipe   ",
                      back = "(Q) Return to Menu  ";
    EXPECT_EQ(hints, (std::vector<std::string>{view, view, add, add, add, add, exp, exp, exp, exp, back, back}));
    EXPECT_EQ(counters, (std::vector<std::string>{"1 of 3"}));
    EXPECT_FALSE(fs::exists("favs.ldr"));
    EXPECT_EQ(script::window().titles, (std::vector<std::string>{"Browsing Recipes"}));
}

TEST_F(browsing, idle_passes_present_nothing_even_while_a_hint_is_reprinted) {
    int presents = 0;
    move(30, 420);
    idle_pass();
    at_next_pass([&] { presents = script::window().presents; });
    for (int i = 0; i < 5; ++i) idle_pass();
    at_next_pass([&] { EXPECT_EQ(script::window().presents, presents); });
    quit();
    browse_recipes();
}

TEST_F(browsing, strip_clicks_at_the_edges_of_previous_edit_and_next) {
    // Start on entry 2 so that both moves show.
    press(key_right);
    click(97, 380);  // gap
    note_counter();
    click(96, 371);  // Previous
    note_counter();
    click(164, 390);  // Next
    note_counter();
    click(163, 390);  // gap
    note_counter();
    click(249, 391);  // the option row: Return
    browse_recipes();
    EXPECT_EQ(counters, (std::vector<std::string>{"2 of 3", "1 of 3", "2 of 3", "2 of 3"}));
    EXPECT_EQ(script::pointer_x(), 1);
    EXPECT_EQ(script::pointer_y(), 1);
}

TEST_F(browsing, a_click_at_x_0_or_with_the_right_button_does_nothing) {
    click(0, 380);
    click(200, 380, 1);
    note_counter();
    click(200, 380);
    note_counter();
    quit();
    browse_recipes();
    EXPECT_EQ(counters, (std::vector<std::string>{"1 of 3", "2 of 3"}));
}

TEST_F(browsing, add_to_favorites_appends_line_1_of_the_file_and_starts_again_at_entry_1) {
    const std::string old_favs = "1\r\n" + index_line("Old", "", "", "9.rcp");
    write_whole_file("favs.ldr", old_favs);
    write_whole_file("2.rcp", recipe_text("Bread!", "Cy", "Book", "Crusty", 2, {}, {}));
    const std::string bread = index_line("Bread!", "Cy", "Book", "2.rcp");
    const std::string apple = index_line("Apple Pie!", "B.", "G.", "1.rcp");
    press(key_right);
    press(key_a);
    snap();
    type("x");        // not Escape: the wait goes on
    click(100, 400);  // above the continue picture
    idle_pass();
    snap();
    type("\x1B");
    snap();
    press(key_a);  // now on entry 1 again
    type("\x1B");
    quit();
    browse_recipes();

    EXPECT_EQ(shots[0], (rows{"Recipe added", "to Favorites."}));
    EXPECT_EQ(shots[1], shots[0]);
    EXPECT_EQ(shots[2][0], "1 of 3");
    EXPECT_EQ(read_whole_file("favs.ldr"), "3\r\n" + index_line("Old", "", "", "9.rcp") + bread + apple);
    EXPECT_EQ(read_whole_file("favs.bak"), "2\r\n" + index_line("Old", "", "", "9.rcp") + bread);
    EXPECT_EQ(read_whole_file("default.ldr"), three_entries);
    EXPECT_EQ(script::pointer_x(), 1);
}

// Root reads every file: for the life of the object the process acts as
// nobody, so that a file without read permission can't be read.
struct acting_as_nobody {
    const bool dropped = ::geteuid() == 0 && ::seteuid(65534) == 0;
    ~acting_as_nobody() {
        if (dropped && ::seteuid(0) != 0) std::abort();
    }
};

TEST_F(browsing, a_failed_add_to_favorites_says_so_in_red_and_changes_no_file) {
    const std::string favs = "1\r\n" + index_line("Old", "", "", "9.rcp");
    write_whole_file("favs.bak", "0\r\n");
    fs::create_directory("favs.ldr");
    press(key_a);
    snap();
    click(1, 401);
    note_counter();
    quit();
    browse_recipes();
    EXPECT_EQ(shots[0], (rows{"Recipe could not be", "added to Favorites!"}));
    EXPECT_EQ(counters[0], "1 of 3");
    EXPECT_TRUE(fs::is_directory("favs.ldr"));

    // A file that can't be read, in a directory where it could be replaced.
    fs::remove("favs.ldr");
    write_whole_file("favs.ldr", favs);
    fs::permissions("favs.ldr", fs::perms::none);
    fs::permissions(dir, fs::perms::all);
    shots.clear();
    script::reset();
    script::set_executable_dir(dir.string());
    open_window(250, 450, 32);
    set_text_grid(30, 27);
    press(key_a);
    snap();
    type("\x1B");
    quit();
    {
        const acting_as_nobody nobody;
        browse_recipes();
    }
    EXPECT_EQ(shots[0], (rows{"Recipe could not be", "added to Favorites!"}));
    EXPECT_EQ(read_whole_file("favs.ldr"), favs);
    EXPECT_EQ(read_whole_file("favs.bak"), "0\r\n");
}

TEST_F(browsing, keys_later_in_the_order_win_and_any_key_wins_over_a_click) {
    // V and A together add; the viewer is not opened.
    hold_together({key_v, key_a});
    type("\x1B");
    // Right held while clicking Previous moves on.
    key_down(key_right);
    click(10, 380);
    key_up(key_right);
    note_counter();
    quit();
    browse_recipes();
    EXPECT_EQ(read_whole_file("favs.ldr"), "1\r\n" + index_line("Apple Pie!", "B.", "G.", "1.rcp"));
    EXPECT_EQ(counters.back(), "3 of 3");
    const auto& titles = script::window().titles;
    EXPECT_EQ(std::count(titles.begin(), titles.end(), "Recipe Viewer"), 0);
}

// Removal's set-up: no Edit on the strip, R before P, View waits for a key,
// the title not set again.
class removal_setup : public browsing {
protected:
    int own_actions = 0;
    void run() {
        list_browser_setup setup;
        setup.title = "Recipe Removal";
        setup.title_after_sub_screen = false;
        setup.own_hint = "(R) Remove Recipe   ";
        setup.own_key = key_r;
        setup.own_key_before_export = true;
        setup.strip_has_edit = false;
        setup.view_waits_for_key = true;
        setup.load = [] { return load_index("default.ldr"); };
        setup.own_action = [this](list_browser&) {
            ++own_actions;
            return browser_next::draw_same;
        };
        set_window_title("Recipe Removal");
        run_list_browser(std::move(setup));
    }
};

TEST_F(removal_setup, x_125_is_a_gap_and_p_wins_over_r) {
    click(125, 380);
    note_counter();
    click(126, 380);
    note_counter();
    click(124, 380);
    note_counter();
    hold_together({key_r, key_p});
    press(key_r);
    quit();
    script::cancel_save_dialog();
    run();
    EXPECT_EQ(counters, (std::vector<std::string>{"1 of 3", "2 of 3", "1 of 3"}));
    EXPECT_EQ(own_actions, 1);
    ASSERT_EQ(script::dialogs().size(), 2u);  // the save dialog and its message
    EXPECT_EQ(script::window().title, "Recipe Exporter");
}

TEST_F(removal_setup, view_by_click_waits_for_a_key_and_by_v_goes_on_at_once) {
    click(30, 420);
    script::wait(1000);
    at_next_pass([] { EXPECT_EQ(script::window().title, "Recipe Removal"); });
    type("k");  // the key View waits for
    idle_pass();
    at_next_pass([&] { EXPECT_EQ(script::window().title, "Recipe Viewer"); });
    type("\x1B");
    press_letter(key_v, "v");
    type("\x1B");
    quit();
    run();
    const auto& titles = script::window().titles;
    EXPECT_EQ(std::count(titles.begin(), titles.end(), "Recipe Viewer"), 2);
    EXPECT_EQ(titles.back(), "Recipe Viewer");  // not set again
    EXPECT_EQ(script::window().width, 250);
}

}  // namespace
