// The add recipe wizard, driven whole through the scripted platform.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform_script.h"
#include "platform/screen_state.h"
#include "screens/screens.h"
#include "tests/screen_rows.h"
#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;

std::string quoted_line(const std::string& text) { return "\"" + text + "\"\r\n"; }

// The bytes of a recipe file whose lists are written in full.
std::string recipe_bytes(const std::string& heading, const rows& ingredients, const rows& directions) {
    std::string bytes = heading + std::to_string(ingredients.size()) + "\r\n";
    for (const auto& item : ingredients) bytes += quoted_line(item);
    bytes += std::to_string(directions.size()) + "\r\n";
    for (const auto& item : directions) bytes += quoted_line(item);
    return bytes;
}

const std::string soup_heading = "\"Soup\",\"Ann\",\"Home\"\r\n\"Hot\",2\r\n";

void answer(const rows& lines) {
    for (const auto& text : lines) script::line(text);
}

// Name, author, source, servings and description of the soup, confirmed.
void answer_soup_heading() { answer({"Soup", "y", "Ann", "Home", "2", "y", "Hot"}); }

// The recipe files in the current directory.
rows recipe_files() {
    rows names;
    for (const auto& item : fs::directory_iterator("."))
        if (item.path().extension() == ".rcp" && item.is_regular_file()) names.push_back(item.path().filename());
    return names;
}

std::string saved_recipe() {
    const rows names = recipe_files();
    return names.size() == 1 ? read_whole_file(names[0]) : "";
}

class wizard : public larder_test {
protected:
    std::vector<rows> screens;  // the rows at each remembered moment, in order

    // The delay lets the screen finish drawing after the step before.
    void remember_screen() {
        script::call([this] { screens.push_back(printed_rows()); }, 100);
    }
    // The final wait: remember it, then press a key.
    void finish() {
        remember_screen();
        script::type("x");
    }
    // left_over: steps the wizard has no need to take, such as the release
    // of the last key it reads.
    void run(int left_over = 0) {
        add_recipe();
        EXPECT_EQ(script::pending_steps(), left_over);
        EXPECT_EQ(script::window().width, 250);
        EXPECT_EQ(script::window().height, 450);
        EXPECT_EQ(screen().columns, 30);
        EXPECT_EQ(screen().rows, 27);
    }
};

const std::string old_index =
    "2\r\n\"Apple pie\",\"Bea\",\"\",\"900.rcp\"\r\n\"waffles\",\"Cy\",\"Book\",\"901.rcp\"\r\n";

TEST_F(wizard, a_whole_run_saves_the_recipe_and_files_it_in_name_order) {
    write_whole_file("default.ldr", old_index);
    answer({"Pancakes", "y", "Ann", "Family", "4", "y", "Fluffy and light"});
    answer({"2 eggs", "1 cup flour, sifted", "", "n"});
    answer({"Beat the eggs.", "n", "Fold in the flour, gently.", "", ""});
    script::call([] {
        const screen_state& s = screen();
        EXPECT_EQ(s.title, "Larderon - Add Recipe");
        EXPECT_EQ(s.width, 640);
        EXPECT_EQ(s.columns, 80);
        EXPECT_EQ(s.pixels[static_cast<size_t>(s.width) * s.height - 1], 0xFFFFFFu);
        EXPECT_EQ(s.cells[0].foreground, 0x000000u);
        EXPECT_EQ(s.cells[0].background, 0xFFFFFFu);
    });
    finish();
    run();

    const rows names = recipe_files();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(read_whole_file(names[0]),
              recipe_bytes("\"Pancakes\",\"Ann\",\"Family\"\r\n\"Fluffy and light\",4\r\n",
                           {"2 eggs", "1 cup flour, sifted"}, {"Beat the eggs.", "Fold in the flour, gently."}));
    EXPECT_EQ(read_whole_file("default.ldr"),
              "3\r\n\"Apple pie\",\"Bea\",\"\",\"900.rcp\"\r\n\"Pancakes\",\"Ann\",\"Family\",\"" + names[0] +
                  "\"\r\n\"waffles\",\"Cy\",\"Book\",\"901.rcp\"\r\n");
    EXPECT_EQ(read_whole_file("default.bak"), old_index);

    ASSERT_EQ(screens.size(), 1u);
    EXPECT_EQ(last_rows(screens[0], 11),
              (rows{"", "", "Saving Recipe...", "Recipe Saved Successfully!", "", "Updating Database...",
                    "This may take some time if you have a large database.", "Completed!", "", "",
                    "Push any key to return to the Main Menu."}));
}

// Every text the wizard prints, word for word, in one run: the grid is
// remembered before it scrolls or clears, so each part is seen whole.
TEST_F(wizard, a_whole_run_prints_exactly_its_texts) {
    answer({"Soup", "y", "Ann", "Home", "4", "y", "Hot"});
    remember_screen();  // the first ingredient asked for, the grid not yet full
    answer({"salt", ""});
    remember_screen();  // the review question
    answer({"y"});
    script::type("k");
    remember_screen();  // the edit question
    answer({"1", "pepper", "", "Stir.", "y", "Stir well.", ""});
    finish();
    run();
    const rows before_review = {"Okay, let's get started with a new recipe.",
                                "Enter the name of the recipe or nothing to go back.",
                                ">Soup",
                                "Is Soup correct (Y/N)?",
                                ">y",
                                "",
                                "Who is the author of this recipe?",
                                ">Ann",
                                "",
                                "What is the source of this recipe?",
                                "i.e. Name of Cookbook from or Family recipe",
                                ">Home",
                                "",
                                "How many servings does this recipe yield?",
                                ">4",
                                "Is this correct (Y/N)?",
                                "Author: Ann",
                                "Source: Home",
                                "Serves:  4",
                                ">y",
                                "",
                                "Now enter a short description of the recipe (optional)",
                                "i.e. Wonderful lasagna with a country taste",
                                ">Hot",
                                "",
                                "Ok, now let's get the ingredients. Enter them one at a time",
                                "and leave blank when you are finished. There is a maximum of 50 ingredients.",
                                "",
                                "#1>salt",
                                "",
                                "#2>",
                                "Would you like to review the ingredients for errors?",
                                ">"};
    const rows after_review = {"Reviewing Ingredients",
                               "",
                               "Ingredient # 1: salt",
                               "",
                               "Push Any Key to Continue",
                               "",
                               "If you would like to edit an ingredient,",
                               "enter its number here. Press enter to continue",
                               ">1",
                               "salt",
                               "Re-enter ingredient #1",
                               ">pepper",
                               "",
                               "If you would like to edit an ingredient,",
                               "enter its number here. Press enter to continue",
                               ">",
                               "",
                               "Ok, now its time to enter then directions. You should",
                               "try to keep one sentence per line. Be aware there is",
                               "a limit of 50 lines, but there is no limit to how long",
                               "a line may be.",
                               "Push Enter when you are finished.",
                               "",
                               "#1>Stir.",
                               "<Edit y/N>y",
                               "#1>Stir well.",
                               "#2>",
                               "",
                               "",
                               "Saving Recipe...",
                               "Recipe Saved Successfully!",
                               "",
                               "Updating Database...",
                               "This may take some time if you have a large database.",
                               "Completed!",
                               "",
                               "",
                               "Push any key to return to the Main Menu."};
    // The text up to an input's prompt, before the answer is typed.
    auto up_to_prompt = [](const rows& all, size_t answered_row) {
        rows shown(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(answered_row));
        shown.push_back(all[answered_row].substr(0, all[answered_row].find('>') + 1));
        return shown;
    };
    ASSERT_EQ(screens.size(), 4u);
    EXPECT_EQ(screens[0], up_to_prompt(before_review, 28));
    EXPECT_EQ(screens[1], last_rows(before_review, 30));
    EXPECT_EQ(screens[2], up_to_prompt(after_review, 8));
    EXPECT_EQ(screens[3], last_rows(after_review, 30));
    EXPECT_EQ(saved_recipe(), recipe_bytes("\"Soup\",\"Ann\",\"Home\"\r\n\"Hot\",4\r\n", {"pepper"}, {"Stir well."}));
}

TEST_F(wizard, an_empty_name_goes_back_at_once_and_writes_nothing) {
    answer({""});
    run(1);  // Enter's release
    EXPECT_TRUE(fs::is_empty("."));
    const auto& titles = script::window().titles;
    EXPECT_NE(std::find(titles.begin(), titles.end(), "Larderon - Add Recipe"), titles.end());
}

TEST_F(wizard, values_end_at_a_comma_unless_quoted_and_no_asks_for_the_name_again) {
    answer({"Pie, apple", "n"});
    remember_screen();
    answer({"\"Pie, apple\"", "", "Ann, Smith", "Home, mostly", "2", "y", "Sweet, tart"});
    answer({"apples", "", "n", "Bake.", "n", ""});
    finish();
    run();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[0], (rows{"Okay, let's get started with a new recipe.",
                                "Enter the name of the recipe or nothing to go back.", ">Pie, apple",
                                "Is Pie correct (Y/N)?", ">n", "Enter the name of the recipe or nothing to go back.", ">"}));
    EXPECT_EQ(saved_recipe(), recipe_bytes("\"Pie, apple\",\"Ann\",\"Home\"\r\n\"Sweet\",2\r\n", {"apples"}, {"Bake."}));
}

TEST_F(wizard, no_to_the_summary_asks_again_and_servings_stay_in_range) {
    answer({"Soup", "y", "A1", "S1", "-99999999999"});
    remember_screen();
    answer({"N", "A2", "S2", "a few"});
    remember_screen();
    answer({"", "", "salt", "", "n", "Stir.", "n", ""});
    finish();
    run();
    ASSERT_EQ(screens.size(), 3u);
    EXPECT_EQ(last_rows(screens[0], 5), (rows{"Is this correct (Y/N)?", "Author: A1", "Source: S1", "Serves: -2147483648", ">"}));
    EXPECT_EQ(last_rows(screens[1], 5), (rows{"Is this correct (Y/N)?", "Author: A2", "Source: S2", "Serves:  0", ">"}));
    EXPECT_EQ(saved_recipe(), recipe_bytes("\"Soup\",\"A2\",\"S2\"\r\n\"\",0\r\n", {"salt"}, {"Stir."}));
}

TEST_F(wizard, an_empty_first_ingredient_or_direction_shows_the_instructions_again) {
    answer_soup_heading();
    answer({""});
    remember_screen();
    answer({"salt", "", "n", ""});
    remember_screen();
    answer({"Stir.", "n", ""});
    finish();
    run();
    ASSERT_EQ(screens.size(), 3u);
    EXPECT_EQ(last_rows(screens[0], 9),
              (rows{"Ok, now let's get the ingredients. Enter them one at a time",
                    "and leave blank when you are finished. There is a maximum of 50 ingredients.", "", "#1>", "",
                    "Ok, now let's get the ingredients. Enter them one at a time",
                    "and leave blank when you are finished. There is a maximum of 50 ingredients.", "", "#1>"}));
    EXPECT_EQ(last_rows(screens[1], 9),
              (rows{"#1>", "", "Ok, now its time to enter then directions. You should",
                    "try to keep one sentence per line. Be aware there is",
                    "a limit of 50 lines, but there is no limit to how long", "a line may be.",
                    "Push Enter when you are finished.", "", "#1>"}));
    EXPECT_EQ(saved_recipe(), recipe_bytes(soup_heading, {"salt"}, {"Stir."}));
}

TEST_F(wizard, fifty_ingredients_and_fifty_directions_end_the_lists_without_an_empty_entry) {
    answer_soup_heading();
    answer(numbered("i", 50));
    answer({"n"});
    for (const auto& line : numbered("d", 50)) answer({line, "n"});
    finish();
    run();
    EXPECT_EQ(saved_recipe(), recipe_bytes(soup_heading, numbered("i", 50), numbered("d", 50)));
}

TEST_F(wizard, the_review_waits_after_the_21st_and_36th_ingredient_and_at_the_end) {
    answer_soup_heading();
    answer(numbered("i", 40));
    answer({"", "y"});
    for (int wait = 0; wait < 3; ++wait) {
        remember_screen();
        script::type("k");
    }
    answer({"", "Stir.", "n", ""});
    finish();
    run();
    ASSERT_EQ(screens.size(), 4u);
    rows first_page = {"Reviewing Ingredients", ""};
    for (int i = 1; i <= 21; ++i) first_page.push_back("Ingredient # " + std::to_string(i) + ": i" + std::to_string(i));
    first_page.push_back("Push Any Key to Continue");
    EXPECT_EQ(screens[0], first_page);
    EXPECT_EQ(last_rows(screens[1], 2), (rows{"Ingredient # 36: i36", "Push Any Key to Continue"}));
    EXPECT_EQ(last_rows(screens[2], 3), (rows{"Ingredient # 40: i40", "", "Push Any Key to Continue"}));
    EXPECT_EQ(saved_recipe(), recipe_bytes(soup_heading, numbered("i", 40), {"Stir."}));
}

TEST_F(wizard, the_fiftieth_ingredient_can_be_edited_and_no_place_beyond_it) {
    answer_soup_heading();
    answer(numbered("i", 50));
    answer({"y"});
    script::type("kkk");  // the three waits of the review
    answer({"50"});
    remember_screen();
    answer({"fifty", "51"});
    remember_screen();
    answer({"", "Stir.", "n", ""});
    finish();
    run();
    ASSERT_EQ(screens.size(), 3u);
    EXPECT_EQ(last_rows(screens[0], 3), (rows{"i50", "Re-enter ingredient #50", ">"}));
    EXPECT_EQ(last_rows(screens[1], 5), (rows{">51", "", "If you would like to edit an ingredient,",
                                              "enter its number here. Press enter to continue", ">"}));
    rows ingredients = numbered("i", 49);
    ingredients.push_back("fifty");
    EXPECT_EQ(saved_recipe(), recipe_bytes(soup_heading, ingredients, {"Stir."}));
}

TEST_F(wizard, review_edits_replace_in_place_and_keep_the_count) {
    answer_soup_heading();
    answer({"i1", "i2", "i3", "", "y"});
    script::type("k");
    answer({"51"});
    remember_screen();
    answer({"-1", "5", "beyond the list", "2"});
    remember_screen();
    answer({"", "0", "Stir.", "n", ""});
    finish();
    run();
    const rows edit_question = {"", "If you would like to edit an ingredient,",
                                "enter its number here. Press enter to continue"};
    rows asked_again = {">51"};
    asked_again.insert(asked_again.end(), edit_question.begin(), edit_question.end());
    asked_again.push_back(">");
    ASSERT_EQ(screens.size(), 3u);
    EXPECT_EQ(last_rows(screens[0], 5), asked_again);
    EXPECT_EQ(last_rows(screens[1], 4), (rows{">2", "i2", "Re-enter ingredient #2", ">"}));
    EXPECT_EQ(saved_recipe(), recipe_bytes(soup_heading, {"i1", "", "i3"}, {"Stir."}));
}

TEST_F(wizard, a_direction_emptied_through_edit_ends_the_saved_directions) {
    answer_soup_heading();
    answer({"salt", "", "n"});
    answer({"Stir", "y", "Stir well", "Bake", "Y", "", "Serve", "n", ""});
    finish();
    run();
    EXPECT_EQ(saved_recipe(), recipe_bytes(soup_heading, {"salt"}, {"Stir well"}));
}

TEST_F(wizard, a_recipe_that_cannot_be_saved_is_reported_and_not_filed) {
    write_whole_file("default.ldr", old_index);
    answer_soup_heading();
    answer({"salt", "", "n", "Stir.", "n"});
    // Whatever name the clock gives at the save is taken by a directory.
    script::call([] {
        const auto second = static_cast<long>(std::floor(script::now()));
        for (long s = second; s < second + 5; ++s) fs::create_directory(std::to_string(s) + ".rcp");
    });
    answer({""});
    finish();
    run();
    EXPECT_TRUE(recipe_files().empty());
    EXPECT_EQ(read_whole_file("default.ldr"), old_index);
    EXPECT_FALSE(fs::exists("default.bak"));
    ASSERT_EQ(screens.size(), 1u);
    EXPECT_EQ(last_rows(screens[0], 7), (rows{"", "", "Saving Recipe...", "Recipe could not be saved!", "", "",
                                              "Push any key to return to the Main Menu."}));
}

TEST_F(wizard, an_index_that_cannot_be_rewritten_is_reported) {
    fs::create_directory("default.ldr");
    answer_soup_heading();
    answer({"salt", "", "n", "Stir.", "n", ""});
    finish();
    run();
    EXPECT_EQ(saved_recipe(), recipe_bytes(soup_heading, {"salt"}, {"Stir."}));
    ASSERT_EQ(screens.size(), 1u);
    EXPECT_EQ(last_rows(screens[0], 5), (rows{"This may take some time if you have a large database.",
                                              "Database could not be updated!", "", "",
                                              "Push any key to return to the Main Menu."}));
}

}  // namespace
