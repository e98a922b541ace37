// Recipe removal, driven through the scripted platform.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "screens/screens.h"
#include "tests/browser_fixture.h"
#include "tests/file_size_limit.h"

namespace {

namespace fs = std::filesystem;

struct listed {
    std::string name, file;
};
const std::vector<listed> three = {{"Apple pie", "a.rcp"}, {"Bread", "b.rcp"}, {"Cake", "c.rcp"}};
const std::string favourites = "1\r\n\"Bread\",\"\",\"\",\"b.rcp\"\r\n";

std::string index_bytes(const std::vector<listed>& entries) {
    std::string bytes = std::to_string(entries.size()) + "\r\n";
    for (const auto& entry : entries) bytes += "\"" + entry.name + "\",\"Ann\",\"\",\"" + entry.file + "\"\r\n";
    return bytes;
}

rows files_in(const fs::path& where) {
    rows names;
    for (const auto& item : fs::directory_iterator(where)) names.push_back(item.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

uint32_t foreground_at(int row) { return cell_at(row, 1).foreground; }

class removal : public list_screen_test {
protected:
    void SetUp() override {
        list_screen_test::SetUp();
        start_with(three);
    }
    void start_with(const std::vector<listed>& entries) {
        write_whole_file("default.ldr", index_bytes(entries));
        write_whole_file("favs.ldr", favourites);
        for (const auto& entry : entries)
            if (entry.file.find('/') == std::string::npos && entry.file.ends_with(".rcp"))
                write_whole_file(entry.file, "\"" + entry.name + "\",\"Ann\",\"\"\r\n\"Good\",2\r\n0\r\n0\r\n");
    }

    // Clicks far enough apart that each lands in the wait it is meant for.
    static void click(int x, int y) { script::click(x, y, 0, 300); }
    static void next() { click(200, 380); }
    static void remove() { click(90, 420); }
    static void yes() { click(1, 401); }
    static void no() { click(249, 401); }
    static void quit() { script::key_down(16, 300); }
    void remember(rows& into) {
        script::call([&into] { into = printed_rows(); }, 150);
    }

    void run() {
        remove_recipes();
        EXPECT_EQ(script::pending_steps(), 0);
        EXPECT_EQ(screen().width, 250);
        EXPECT_EQ(screen().columns, 30);
        EXPECT_EQ(script::pointer_x(), 1);
        EXPECT_EQ(script::pointer_y(), 1);
    }
    // Removes the entry at a position: Next to it, Remove, Yes, Yes; gives
    // the screen at the first question and at the last wait.
    std::vector<rows> remove_at(int position) {
        std::vector<rows> screens(2);
        for (int step = 1; step < position; ++step) next();
        remove();
        remember(screens[0]);
        script::call([] {
            for (int row = 2; row <= 5; ++row) EXPECT_EQ(foreground_at(row), 0xFFFFFFu) << row;
        });
        yes();
        yes();
        remember(screens[1]);
        click(1, 401);
        run();
        return screens;
    }
};

TEST_F(removal, removing_the_first_middle_or_last_keeps_the_others_in_order) {
    for (int position = 1; position <= 3; ++position) {
        script::reset();
        script::set_executable_dir(dir.string());
        open_window(250, 450, 32);
        set_text_grid(30, 27);
        start_with(three);
        const std::vector<rows> screens = remove_at(position);

        std::vector<listed> left = three;
        left.erase(left.begin() + position - 1);
        EXPECT_EQ(read_whole_file("default.ldr"), index_bytes(left));
        EXPECT_EQ(read_whole_file("default.bak"), index_bytes(three));
        EXPECT_EQ(read_whole_file("favs.ldr"), favourites);
        rows expected_files = {"default.bak", "default.ldr", "favs.ldr"};
        for (const auto& entry : left) expected_files.push_back(entry.file);
        std::sort(expected_files.begin(), expected_files.end());
        EXPECT_EQ(files_in(dir), expected_files);

        EXPECT_EQ(screens[0], (rows{"", "Are you sure that", "you want to delete", "recipe for:",
                                    three[static_cast<size_t>(position - 1)].name}));
        EXPECT_EQ(screens[1], (rows{"Warning!", "You will not be", "able to recover", "this recipe,",
                                    "are you absolutely", "sure?", "", "Deleting recipe...", "Recipe Deleted."}));
    }
    for (int row = 1; row <= 6; ++row) EXPECT_EQ(foreground_at(row), 0xFF0000u) << row;
    EXPECT_EQ(foreground_at(8), 0xFFFFFFu);
    EXPECT_EQ(foreground_at(9), 0xFFFFFFu);
}

TEST_F(removal, the_only_recipe_leaves_an_empty_index_even_when_its_file_is_missing) {
    start_with({{"Soup", "gone.rcp"}});
    remove_at(1);
    EXPECT_EQ(read_whole_file("default.ldr"), "0\r\n");
    EXPECT_EQ(read_whole_file("favs.ldr"), favourites);
}

TEST_F(removal, an_entry_naming_anything_but_a_recipe_file_here_loses_only_its_entry) {
    fs::create_directory("sub");
    write_whole_file("sub/x.rcp", "kept");
    for (const std::string name : {"favs.ldr", "sub/x.rcp", "notes.txt"}) {
        write_whole_file("notes.txt", "kept");
        start_with({{"Odd", name}, {"Soup", "s.rcp"}});
        remove_at(1);
        EXPECT_EQ(read_whole_file("default.ldr"), index_bytes({{"Soup", "s.rcp"}})) << name;
        EXPECT_EQ(read_whole_file("favs.ldr"), favourites);
        EXPECT_EQ(read_whole_file("sub/x.rcp"), "kept");
        EXPECT_EQ(read_whole_file("notes.txt"), "kept");
    }
}

TEST_F(removal, a_failed_rewrite_keeps_the_file_and_the_index) {
    const std::vector<listed> long_names = {{std::string(600, 'A'), "a.rcp"}, {std::string(600, 'B'), "b.rcp"}};
    start_with(long_names);
    std::vector<rows> screens;
    {
        file_size_limit limit(100);
        screens = remove_at(1);
    }
    EXPECT_EQ(read_whole_file("default.ldr"), index_bytes(long_names));
    EXPECT_TRUE(fs::exists("a.rcp"));
    EXPECT_EQ(last_rows(screens[1], 3), (rows{"Deleting recipe...", "Could not rewrite the index;", "the recipe was kept."}));
    EXPECT_EQ(foreground_at(9), 0xFF0000u);
    EXPECT_EQ(foreground_at(10), 0xFF0000u);
}

TEST_F(removal, questions_take_only_clicks_on_their_halves_and_no_keeps_the_position) {
    rows after_first_no, after_second_no;
    next();
    remove();
    script::type("yn", 300);  // keys stay queued and answer nothing
    click(124, 400);
    click(0, 401);
    click(250, 401);
    click(125, 401);  // No
    remember(after_first_no);
    remove();
    click(124, 401);  // Yes
    no();
    remember(after_second_no);
    quit();
    run();
    EXPECT_EQ(after_first_no[0], "2 of 3");
    EXPECT_EQ(after_first_no[3], "Bread");
    EXPECT_EQ(after_second_no[0], "2 of 3");
    EXPECT_EQ(read_whole_file("default.ldr"), index_bytes(three));
    EXPECT_FALSE(fs::exists("default.bak"));
    EXPECT_EQ(files_in(dir), (rows{"a.rcp", "b.rcp", "c.rcp", "default.ldr", "favs.ldr"}));
}

TEST_F(removal, view_and_export_draw_the_entry_again_under_the_sub_screen_title) {
    rows after_view, after_export;
    next();
    click(30, 420);  // View: waits for a key, none is queued
    script::call([] { EXPECT_EQ(screen().title, "Recipe Removal"); }, 1000);
    script::type("k");
    script::key_down(1, 300);  // Escape leaves the viewer
    script::key_up(1);
    remember(after_view);
    script::call([] { EXPECT_EQ(screen().title, "Recipe Viewer"); });
    script::call([] {  // R with P held exports
        feed_key_down(19);
        feed_key_down(25);
    }, 300);
    script::call([] {
        feed_key_up(19);
        feed_key_up(25);
    });
    script::cancel_save_dialog();
    remember(after_export);
    quit();
    run();
    EXPECT_EQ(after_view[0], "2 of 3");
    EXPECT_EQ(after_export[0], "2 of 3");
    ASSERT_EQ(script::dialogs().size(), 2u);  // the save dialog and its message
    EXPECT_EQ(script::dialogs()[0].kind, "save");
    EXPECT_EQ(screen().title, "Recipe Exporter");
    EXPECT_EQ(read_whole_file("default.ldr"), index_bytes(three));
}

}  // namespace
