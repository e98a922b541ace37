// The recipe viewer, driven whole through the scripted platform.
#include <string>
#include <vector>

#include "platform/platform_script.h"
#include "platform/screen_state.h"
#include "screens/screens.h"
#include "tests/screen_rows.h"
#include "tests/test_support.h"

namespace {

constexpr int escape = 1;
const std::string rule(79, '-');

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// The file bytes of a recipe by Ann from Family, servings 0, no description.
std::string recipe_file(const rows& ingredients, const rows& directions) {
    std::string bytes = "\"Soup\",\"Ann\",\"Family\"\r\n\"\",0\r\n";
    bytes += std::to_string(ingredients.size()) + "\r\n";
    for (const auto& item : ingredients) bytes += quoted(item) + "\r\n";
    bytes += std::to_string(directions.size()) + "\r\n";
    for (const auto& item : directions) bytes += quoted(item) + "\r\n";
    return bytes;
}

class viewer : public larder_test {
protected:
    std::vector<rows> screens;  // the rows at each wait, in order

    // At each wait: remember the screen, then give the key that ends it. The
    // delay lets the screen finish drawing after the key before.
    void remember_screen() {
        script::call([this] { screens.push_back(printed_rows()); }, 100);
    }
    void at_wait_press_space() {
        remember_screen();
        script::type(" ");
    }
    void at_wait_press_escape() {
        remember_screen();
        script::press(escape);
    }
    void view(const rows& ingredients, const rows& directions) {
        write_whole_file("soup.rcp", recipe_file(ingredients, directions));
        view_recipe("soup.rcp");
        EXPECT_EQ(script::pending_steps(), 0);
    }
};

const rows heading = {"Soup by Ann", "From: Family   Serves: 0", "", rule, "Ingredients:", ""};

TEST_F(viewer, ten_ingredients_in_one_column_and_the_window_given_back) {
    at_wait_press_escape();
    view(numbered("i", 10), {"Boil.", "Serve."});

    rows expected = heading;
    for (const auto& item : numbered("i", 10)) expected.push_back(item);
    for (const char* text : {"", "Directions:", "", "Boil.", "Serve.", "", "Push 'ESC' return"}) expected.push_back(text);
    ASSERT_EQ(screens.size(), 1u);
    EXPECT_EQ(screens[0], expected);

    EXPECT_EQ(script::window().title, "Recipe Viewer");
    EXPECT_EQ(script::window().width, 250);
    EXPECT_EQ(script::window().height, 450);
    EXPECT_EQ(screen().columns, 30);
    EXPECT_EQ(screen().rows, 27);
    EXPECT_EQ(screen().foreground, 0xFFFFFFu);
    EXPECT_EQ(screen().background, 0x000000u);
}

TEST_F(viewer, black_on_white_with_the_last_line_in_red) {
    script::call([] {
        const screen_state& s = screen();
        EXPECT_EQ(s.width, 640);
        EXPECT_EQ(s.columns, 80);
        EXPECT_EQ(s.pixels[static_cast<size_t>(s.width) * s.height - 1], 0xFFFFFFu);  // filled white
        const text_cell& name = s.cells[0];
        EXPECT_EQ(name.foreground, 0x000000u);
        EXPECT_EQ(name.background, 0xFFFFFFu);
        const text_cell& push = s.cells[static_cast<size_t>((s.row - 2) * s.columns)];
        EXPECT_EQ(push.byte, 'P');
        EXPECT_EQ(push.foreground, 0xFF0000u);
        EXPECT_EQ(push.background, 0xFFFFFFu);
    });
    script::press(escape);
    view({"salt"}, {"Stir."});
}

TEST_F(viewer, eleven_ingredients_put_the_eleventh_beside_the_first) {
    at_wait_press_escape();
    view(numbered("i", 11), {"Boil."});
    ASSERT_EQ(screens.size(), 1u);
    EXPECT_EQ(screens[0][6], "i1   i11");
    EXPECT_EQ(screens[0][7], "i2");
    EXPECT_EQ(screens[0][15], "i10");
    EXPECT_EQ(screens[0][16], "");
    EXPECT_EQ(screens[0][17], "Directions:");
}

TEST_F(viewer, twenty_five_ingredients_take_one_page_wait) {
    at_wait_press_space();
    at_wait_press_escape();
    view(numbered("i", 25), {"Boil."});
    ASSERT_EQ(screens.size(), 2u);
    ASSERT_EQ(screens[0].size(), 18u);
    EXPECT_EQ(screens[0][6], "i1   i11");
    EXPECT_EQ(screens[0][15], "i10   i20");
    EXPECT_EQ(last_rows(screens[0], 2), (rows{"", "Push 'SPACEBAR' to continue"}));
    EXPECT_EQ(last_rows(screens[1], 11),
              (rows{"i21", "i22", "i23", "i24", "i25", "", "Directions:", "", "Boil.", "", "Push 'ESC' return"}));
}

TEST_F(viewer, ingredients_31_to_40_show_on_the_second_and_third_page) {
    at_wait_press_space();
    at_wait_press_space();
    at_wait_press_escape();
    view(numbered("i", 35), {"Boil."});
    ASSERT_EQ(screens.size(), 3u);
    EXPECT_EQ(last_rows(screens[1], 12), (rows{"i21   i31", "i22   i32", "i23   i33", "i24   i34", "i25   i35", "i26",
                                               "i27", "i28", "i29", "i30", "", "Push 'SPACEBAR' to continue"}));
    EXPECT_EQ(last_rows(screens[2], 11),
              (rows{"i31", "i32", "i33", "i34", "i35", "", "Directions:", "", "Boil.", "", "Push 'ESC' return"}));
}

// The last ingredient of a page that it fills alone shows after the wait.
TEST_F(viewer, exactly_21_or_31_ingredients_show_the_last_one_after_its_wait) {
    at_wait_press_space();
    at_wait_press_escape();
    view(numbered("i", 21), {"Boil."});
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(last_rows(screens[0], 3), (rows{"i10   i20", "", "Push 'SPACEBAR' to continue"}));
    EXPECT_EQ(last_rows(screens[1], 8),
              (rows{"Push 'SPACEBAR' to continue", "i21", "", "Directions:", "", "Boil.", "", "Push 'ESC' return"}));

    screens.clear();
    at_wait_press_space();
    at_wait_press_space();
    at_wait_press_escape();
    view(numbered("i", 31), {"Boil."});
    ASSERT_EQ(screens.size(), 3u);
    EXPECT_EQ(last_rows(screens[1], 12), (rows{"i21   i31", "i22", "i23", "i24", "i25", "i26", "i27", "i28", "i29",
                                               "i30", "", "Push 'SPACEBAR' to continue"}));
    EXPECT_EQ(last_rows(screens[2], 8),
              (rows{"Push 'SPACEBAR' to continue", "i31", "", "Directions:", "", "Boil.", "", "Push 'ESC' return"}));
}

TEST_F(viewer, fifteen_direction_lines_take_one_wait) {
    at_wait_press_space();
    at_wait_press_escape();
    view({"salt"}, numbered("d", 15));
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(last_rows(screens[0], 3), (rows{"d10", "", "Push 'SPACEBAR' to continue"}));
    EXPECT_EQ(last_rows(screens[1], 7), (rows{"d11", "d12", "d13", "d14", "d15", "", "Push 'ESC' return"}));
}

TEST_F(viewer, fifty_direction_lines_take_four_waits) {
    for (int page = 0; page < 4; ++page) at_wait_press_space();
    at_wait_press_escape();
    view({"salt"}, numbered("d", 50));
    ASSERT_EQ(screens.size(), 5u);
    for (int page = 0; page < 4; ++page)
        EXPECT_EQ(last_rows(screens[page], 3), (rows{"d" + std::to_string(page * 10 + 10), "", "Push 'SPACEBAR' to continue"}));
    EXPECT_EQ(last_rows(screens[4], 3), (rows{"d50", "", "Push 'ESC' return"}));
}

TEST_F(viewer, other_keys_are_taken_and_ignored_at_every_wait) {
    script::type("x");
    script::press(escape);
    at_wait_press_space();
    script::type(" q");
    script::press(72);  // Up arrow
    at_wait_press_escape();
    view({"salt"}, numbered("d", 11));
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(last_rows(screens[0], 1), rows{"Push 'SPACEBAR' to continue"});
    EXPECT_EQ(last_rows(screens[1], 3), (rows{"d11", "", "Push 'ESC' return"}));
}

TEST_F(viewer, empty_direction_lines_are_kept_only_on_a_full_first_page_after_few_ingredients) {
    rows directions = numbered("d", 10);
    directions[4] = "";
    at_wait_press_escape();
    view({"salt"}, directions);
    ASSERT_EQ(screens.size(), 1u);
    EXPECT_EQ(last_rows(screens[0], 10), (rows{"d3", "d4", "", "d6", "d7", "d8", "d9", "d10", "", "Push 'ESC' return"}));

    screens.clear();
    at_wait_press_escape();
    view(numbered("i", 11), directions);
    ASSERT_EQ(screens.size(), 1u);
    EXPECT_EQ(last_rows(screens[0], 9), (rows{"d3", "d4", "d6", "d7", "d8", "d9", "d10", "", "Push 'ESC' return"}));
}

TEST_F(viewer, a_missing_file_shows_the_empty_heading_and_leaves_on_escape) {
    at_wait_press_escape();
    view_recipe("gone.rcp");
    ASSERT_EQ(screens.size(), 1u);
    EXPECT_EQ(screens[0], (rows{" by", "From:    Serves: 0", "", rule, "Ingredients:", "", "", "Directions:", "", "",
                                "Push 'ESC' return"}));
    EXPECT_EQ(script::window().width, 250);
}

}  // namespace
