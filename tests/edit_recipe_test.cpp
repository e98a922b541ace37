// The recipe editor, driven whole through the scripted platform.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform_script.h"
#include "platform/screen_state.h"
#include "screens/screens.h"
#include "shell/services.h"
#include "tests/file_size_limit.h"
#include "tests/screen_rows.h"
#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;

std::string recipe_bytes(const std::string& heading, const rows& ingredients, const rows& directions) {
    std::string bytes = heading + std::to_string(ingredients.size()) + "\r\n";
    for (const auto& item : ingredients) bytes += "\"" + item + "\"\r\n";
    bytes += std::to_string(directions.size()) + "\r\n";
    for (const auto& item : directions) bytes += "\"" + item + "\"\r\n";
    return bytes;
}

const std::string soup_heading = "\"Soup\",\"Ann\",\"Home\"\r\n\"Hot\",4\r\n";
const std::string soup = recipe_bytes(soup_heading, {"salt", "water"}, {"Boil."});
const std::string old_index = "3\r\n\"Apple\",\"Bea\",\"\",\"9.rcp\"\r\n\"Broth\",\"Old\",\"Old\",\"5.rcp\"\r\n"
                              "\"Tea\",\"Cy\",\"\",\"7.rcp\"\r\n";

// Clicks on the yes/no picture; the pause keeps the next typing apart from
// the keys the editor drops after an answer.
void yes() {
    script::click(60, 420);
    script::wait(100);
}
void no() {
    script::click(200, 420);
    script::wait(100);
}
void answer(const rows& lines) {
    for (const auto& text : lines) script::line(text);
}

const rows saving_rows = {"Saving Changes...", "Please wait while", "the database is", "updated."};
const rows last_page_lines = {"", "Enter ingredient # to edit or 'A' to add one or 'B'",
                              "to move back in list, push enter to exit", "", ">"};
const rows more_items_lines = {"", "Enter ingredient # to edit or 'F' to move forward or",
                               "'B' to move back in list, push enter to exit", "", ">"};

rows page(const std::string& prefix, int first, int last, const rows& hint) {
    rows shown;
    for (int i = first; i <= last; ++i) shown.push_back(std::to_string(i) + ": " + prefix + std::to_string(i));
    shown.insert(shown.end(), hint.begin(), hint.end());
    return shown;
}

class editor : public larder_test {
protected:
    std::vector<rows> screens;

    void SetUp() override {
        larder_test::SetUp();
        open_window(250, 450, 32);
        set_text_grid(30, 27);
    }
    void remember_screen() {
        script::call([this] { screens.push_back(printed_rows()); }, 100);
    }
    // Runs the editor to its end, taken there by Escape.
    void run(const std::string& file_name = "5.rcp") {
        script::key_down(1);
        edit_recipe(file_name);
        EXPECT_EQ(script::pending_steps(), 0);
        EXPECT_EQ(script::window().width, 250);
        EXPECT_EQ(script::window().height, 450);
        EXPECT_EQ(screen().columns, 30);
        EXPECT_EQ(screen().rows, 27);
        EXPECT_EQ(script::pointer_x(), 1);
        EXPECT_EQ(script::pointer_y(), 1);
    }
};

TEST_F(editor, only_a_left_click_below_the_picture_answers_and_typed_keys_are_dropped) {
    write_whole_file("5.rcp", soup);
    remember_screen();
    script::call([] { EXPECT_EQ(script::pointer_x() + script::pointer_y(), 2); });
    script::click(0, 420);
    script::click(60, 400);
    script::click(60, 420, 2);
    script::type("YN");
    script::press(28);
    script::click(124, 420);
    script::wait(100);
    script::call([] { EXPECT_EQ(script::pointer_x() + script::pointer_y(), 2); });
    remember_screen();
    answer({"Stew", "", ""});
    script::click(125, 420);
    script::wait(100);
    script::click(249, 420);
    script::wait(100);
    no();
    run();
    EXPECT_EQ(screens[0], (rows{"Edit Title, Author", "or Source?"}));
    EXPECT_EQ(screens[1], (rows{"Enter a new title or", "push Enter to keep", "Current Title:", "Soup", ">"}));
    EXPECT_EQ(read_whole_file("5.rcp"), recipe_bytes("\"Stew\",\"Ann\",\"Home\"\r\n\"Hot\",4\r\n", {"salt", "water"}, {"Boil."}));
    EXPECT_EQ(screen().title, "Recipe Editor");
}

TEST_F(editor, prompts_keep_blank_values_cut_at_a_comma_and_round_servings) {
    write_whole_file("5.rcp", soup);
    yes();
    answer({"   ", "Bo, Smith", "\"Home, old\""});
    yes();
    remember_screen();
    answer({"Very hot", "2.5"});
    no();
    no();
    run();
    EXPECT_EQ(screens[0], (rows{"Enter a new description", "or push Enter to keep", "Current description:", "Hot", ">"}));
    EXPECT_EQ(read_whole_file("5.rcp"),
              recipe_bytes("\"Soup\",\"Bo\",\"Home, old\"\r\n\"Very hot\",2\r\n", {"salt", "water"}, {"Boil."}));

    // Each run shows the servings the run before stored.
    std::string shown = " 2";
    const std::pair<std::string, std::string> servings[] = {
        {"3.5", "4"}, {"a word", "0"}, {"99999999999", "2147483647"}, {"-99999999999", "-2147483648"}};
    for (const auto& [typed, stored] : servings) {
        screens.clear();
        no();
        yes();
        answer({""});
        remember_screen();
        answer({typed});
        no();
        no();
        run();
        EXPECT_EQ(screens[0], (rows{"Enter a new serving or", "push Enter to keep", "Current Servings:", shown, ">"}));
        EXPECT_EQ(read_whole_file("5.rcp"), recipe_bytes("\"Soup\",\"Bo\",\"Home, old\"\r\n\"Very hot\"," + stored + "\r\n",
                                                         {"salt", "water"}, {"Boil."}));
        shown = (stored[0] == '-' ? "" : " ") + stored;
    }
}

TEST_F(editor, list_pages_overlap_at_the_end_and_the_window_returns_for_the_directions) {
    write_whole_file("5.rcp", recipe_bytes(soup_heading, numbered("i", 15), {"Boil."}));
    no();
    no();
    yes();
    script::call([] {
        const screen_state& s = screen();
        EXPECT_EQ(s.width, 640);
        EXPECT_EQ(s.columns, 80);
        EXPECT_EQ(s.pixels.back(), 0xFFFFFFu);
        EXPECT_EQ(s.foreground, 0x000000u);
        EXPECT_EQ(s.background, 0xFFFFFFu);
    });
    remember_screen();
    answer({"f"});
    remember_screen();
    answer({"b"});
    remember_screen();
    answer({"B", ""});
    remember_screen();
    no();
    run();
    EXPECT_EQ(screens[0], page("i", 1, 10, more_items_lines));
    EXPECT_EQ(screens[1], page("i", 6, 15, last_page_lines));
    EXPECT_EQ(screens[2], screens[0]);
    EXPECT_EQ(screens[3], (rows{"Would you like to edit", "the directions of", "the recipe?"}));
    EXPECT_EQ(read_whole_file("5.rcp"), recipe_bytes(soup_heading, numbered("i", 15), {"Boil."}));
}

TEST_F(editor, items_are_added_to_empty_lists_and_not_past_fifty) {
    write_whole_file("5.rcp", recipe_bytes(soup_heading, {}, {}));
    no();
    no();
    yes();
    remember_screen();
    answer({"a"});
    remember_screen();
    answer({"1 onion, diced"});
    remember_screen();
    answer({"f", ""});
    yes();
    answer({"A", "Stir, well."});
    remember_screen();
    answer({"a", "", ""});
    run();
    EXPECT_EQ(screens[0], (rows{"", "Enter ingredient # to edit or 'A' to add one or 'B'",
                                "to move back in list, push enter to exit", "", ">"}));
    EXPECT_EQ(last_rows(screens[1], 2), (rows{"New ingredient:", ">"}));
    EXPECT_EQ(screens[2], more_items_lines);
    EXPECT_EQ(screens[3], (rows{"1: Stir, well.", "", "Enter line # to edit or 'A' to add one or 'B'",
                                "to move back in list, push enter to exit", "", ">"}));
    EXPECT_EQ(read_whole_file("5.rcp"), recipe_bytes(soup_heading, {"1 onion, diced"}, {"Stir, well."}));

    write_whole_file("5.rcp", recipe_bytes(soup_heading, numbered("i", 50), numbered("d", 50)));
    screens.clear();
    no();
    no();
    yes();
    answer({"f", "f", "f", "f", "a"});
    remember_screen();
    answer({""});
    yes();
    answer({"f", "f", "f", "f", "f", "f", "f", "f", "f", "a"});
    remember_screen();
    answer({""});
    run();
    EXPECT_EQ(screens[0], page("i", 41, 50, last_page_lines));
    EXPECT_EQ(screens[1].front(), "46: d46");
    EXPECT_EQ(screens[1].size(), 10u);
    EXPECT_EQ(read_whole_file("5.rcp"), recipe_bytes(soup_heading, numbered("i", 50), numbered("d", 50)));
}

TEST_F(editor, item_numbers_edit_or_delete_and_numbers_outside_the_list_are_refused) {
    write_whole_file("5.rcp", recipe_bytes(soup_heading, numbered("i", 5), {"Boil."}));
    no();
    no();
    yes();
    answer({"3"});
    remember_screen();
    answer({"d", "2.5"});
    remember_screen();
    answer({"two, 2", "1", "D", "3", "d"});
    for (const char* refused : {"0", "-1", "3", "51", "xyz", "a "}) {
        answer({refused});
        remember_screen();
    }
    answer({""});
    yes();
    answer({"1"});
    remember_screen();
    answer({"D", ""});
    run();
    EXPECT_EQ(last_rows(screens[0], 4), (rows{"Current ingredient #3:", "i3", "New: (D) to Delete", ">"}));
    EXPECT_EQ(last_rows(screens[1], 4), (rows{"Current ingredient #2.5:", "i2", "New: (D) to Delete", ">"}));
    for (size_t i = 2; i < 8; ++i)
        EXPECT_EQ(screens[i], (rows{"1: two, 2", "2: i4", "", "Enter ingredient # to edit or 'A' to add one or 'B'",
                                    "to move back in list, push enter to exit", "", ">"}));
    EXPECT_EQ(screens[8], (rows{"1: Boil.", "", "Enter line # to edit or 'A' to add one or 'B'",
                                "to move back in list, push enter to exit", "", ">1", "Current line #1:", "Boil.",
                                "New: (D) to Delete", ">"}));
    EXPECT_EQ(read_whole_file("5.rcp"), recipe_bytes(soup_heading, {"two, 2", "i4"}, {}));
}

TEST_F(editor, deleting_a_middle_item_moves_every_later_one_up_at_once) {
    write_whole_file("5.rcp", recipe_bytes(soup_heading, numbered("i", 6), {"Boil."}));
    no();
    no();
    yes();
    answer({"3", "D"});
    remember_screen();
    answer({""});
    no();
    run();
    rows expected = {"1: i1", "2: i2", "3: i4", "4: i5", "5: i6"};
    expected.insert(expected.end(), last_page_lines.begin(), last_page_lines.end());
    EXPECT_EQ(screens[0], expected);
    EXPECT_EQ(read_whole_file("5.rcp"), recipe_bytes(soup_heading, {"i1", "i2", "i4", "i5", "i6"}, {"Boil."}));
}

TEST_F(editor, answering_no_throughout_still_saves_both_files_after_their_copies) {
    write_whole_file("5.rcp", soup);
    write_whole_file("default.ldr", old_index);
    for (int question = 0; question < 4; ++question) no();
    remember_screen();
    script::click(100, 400);
    script::type("x");
    script::press(28);
    remember_screen();
    run();
    const rows saved = {"Saving Changes...", "Please wait while", "the database is", "updated.",
                        "Database updated.", "Saving recipe...", "Recipe Saved!"};
    EXPECT_EQ(screens[0], saved);
    EXPECT_EQ(screens[1], saved);
    EXPECT_TRUE(printed_rows().empty());
    EXPECT_EQ(read_whole_file("default.ldr"), "3\r\n\"Apple\",\"Bea\",\"\",\"9.rcp\"\r\n\"Soup\",\"Ann\",\"Home\",\"5.rcp\"\r\n"
                                              "\"Tea\",\"Cy\",\"\",\"7.rcp\"\r\n");
    EXPECT_EQ(read_whole_file("default.bak"), old_index);
    EXPECT_EQ(read_whole_file("5.rcp"), soup);
    EXPECT_EQ(read_whole_file("5.rcp.bak"), soup);
}

TEST_F(editor, only_the_first_matching_entry_changes_and_keeps_its_place) {
    const std::string index = "3\r\n\"Broth\",\"Old\",\"Old\",\"my soup.rcp\"\r\n"
                              "\"Broth\",\"Old\",\"Old\",\"my soup.rcp\"\r\n\"Tea\",\"Cy\",\"\",\"7.rcp\"\r\n";
    const std::string authorless = recipe_bytes("\"Soup\",\"\",\"Home\"\r\n\"Hot\",4\r\n", {"salt"}, {"Boil."});
    write_whole_file("my soup.rcp", authorless);
    write_whole_file("default.ldr", index);
    yes();
    answer({"Zucchini", "", ""});
    for (int question = 0; question < 3; ++question) no();
    script::click(1, 401);
    edit_recipe("my soup.rcp");
    EXPECT_EQ(script::pending_steps(), 1);  // the click's release
    EXPECT_EQ(read_whole_file("default.ldr"), "3\r\n\"Zucchini\",\"Old\",\"Home\",\"my soup.rcp\"\r\n"
                                              "\"Broth\",\"Old\",\"Old\",\"my soup.rcp\"\r\n\"Tea\",\"Cy\",\"\",\"7.rcp\"\r\n");
    EXPECT_EQ(read_whole_file("my soup.rcp.bak"), authorless);
    EXPECT_EQ(read_whole_file("my soup.rcp"), recipe_bytes("\"Zucchini\",\"\",\"Home\"\r\n\"Hot\",4\r\n", {"salt"}, {"Boil."}));

    // Without a matching entry the index is written back as it was. A name
    // with double quotes would make the copy line name another file.
    write_whole_file("default.ldr", old_index);
    write_whole_file("p\"q\"r.rcp", soup);
    write_whole_file("pqr.rcp", soup);
    for (int question = 0; question < 4; ++question) no();
    run("p\"q\"r.rcp");
    EXPECT_EQ(read_whole_file("default.ldr"), old_index);
    EXPECT_EQ(read_whole_file("p\"q\"r.rcp"), soup);
    EXPECT_FALSE(fs::exists("pqr.rcp.bak"));
}

TEST_F(editor, the_index_comes_from_a_fresh_copy_or_the_index_itself_and_failures_are_reported) {
    const std::string stale = "1\r\n\"Gone\",\"\",\"\",\"5.rcp\"\r\n";
    const std::string updated = "3\r\n\"Apple\",\"Bea\",\"\",\"9.rcp\"\r\n\"Soup\",\"Ann\",\"Home\",\"5.rcp\"\r\n"
                                "\"Tea\",\"Cy\",\"\",\"7.rcp\"\r\n";
    auto save_all_no = [this] {
        screens.clear();
        for (int question = 0; question < 4; ++question) no();
        remember_screen();
        run();
        return last_rows(screens[0], 3);
    };
    write_whole_file("5.rcp", soup);
    fs::create_directory("default.bak");
    write_whole_file("default.ldr", old_index);
    EXPECT_EQ(save_all_no(), (rows{"Database updated.", "Saving recipe...", "Recipe Saved!"}));
    EXPECT_EQ(read_whole_file("default.ldr"), updated);
    EXPECT_TRUE(fs::is_directory("default.bak"));

    fs::remove("default.bak");
    fs::remove("default.ldr");
    write_whole_file("default.bak", stale);
    EXPECT_EQ(save_all_no(), (rows{"Database updated.", "Saving recipe...", "Recipe Saved!"}));
    EXPECT_EQ(read_whole_file("default.ldr"), "0\r\n");
    EXPECT_EQ(read_whole_file("default.bak"), stale);

    fs::remove("default.ldr");
    fs::create_directory("default.ldr");
    EXPECT_EQ(save_all_no(), (rows{"Database could not be updated!", "Saving recipe...", "Recipe Saved!"}));
    EXPECT_TRUE(fs::is_directory("default.ldr"));
    EXPECT_EQ(read_whole_file("default.bak"), stale);
    EXPECT_EQ(read_whole_file("5.rcp"), soup);

    // Neither file fits: both stay whole.
    fs::remove("default.ldr");
    write_whole_file("default.ldr", old_index);
    const std::string long_soup = recipe_bytes(soup_heading, {std::string(300, 's')}, {"Boil."});
    write_whole_file("5.rcp", long_soup);
    {
        file_size_limit limit(60);
        EXPECT_EQ(save_all_no(), (rows{"Database could not be updated!", "Saving recipe...", "Recipe could not be saved!"}));
    }
    EXPECT_EQ(read_whole_file("default.ldr"), old_index);
    EXPECT_EQ(read_whole_file("5.rcp"), long_soup);
}

TEST_F(editor, a_recipe_that_cannot_be_read_is_reported_and_nothing_is_written) {
    write_whole_file("default.ldr", old_index);
    write_whole_file("x.rcp", soup);
    // A missing file, and a name that leaves the program's directory.
    for (const std::string& name : {std::string("5.rcp"), "../" + dir.filename().string() + "/x.rcp"}) {
        screens.clear();
        remember_screen();
        run(name);
        EXPECT_EQ(screens[0], rows{"Recipe could not be read!"});
    }
    EXPECT_EQ(read_whole_file("default.ldr"), old_index);
    EXPECT_EQ(read_whole_file("x.rcp"), soup);
    EXPECT_FALSE(fs::exists("5.rcp"));
    EXPECT_FALSE(fs::exists("default.bak"));
    EXPECT_FALSE(fs::exists("x.rcp.bak"));
}

}  // namespace
