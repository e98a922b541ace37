// The main menu's passes, click areas and exit picture, and the
// single-instance search.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "app/menu.h"
#include "app/startup.h"
#include "platform/platform_script.h"
#include "platform/screen_state.h"
#include "shell/process_list.h"
#include "shell/services.h"
#include "storage/recipe_index.h"
#include "tests/test_support.h"
#include "tools/jpeg_writer.h"

namespace {

class menu : public larder_test {
protected:
    void SetUp() override {
        larder_test::SetUp();
        open_window(250, 450, 32);
    }
    // Runs the menu with stand-in pictures until the script leaves it
    // through the exit picture; gives the exit code.
    int run() {
        try {
            run_menu(menu_pictures{});
        } catch (const program_ended& ended) {
            return ended.code;
        }
    }
    static int passes() {
        const auto& titles = script::window().titles;
        return static_cast<int>(std::count(titles.begin(), titles.end(), "Larderon - Main"));
    }
    static void leave() {
        script::click(100, 449, 0, 30);
        script::click(66, 288, 0, 100);
    }
};

TEST_F(menu, first_pass_makes_an_empty_index_and_draws_the_buttons) {
    leave();
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(read_whole_file("default.ldr"), "0\r\n");
    EXPECT_EQ(script::window().width, 250);
    EXPECT_EQ(script::window().height, 450);
    EXPECT_EQ(screen().columns, 30);
    EXPECT_EQ(screen().rows, 27);
}

TEST_F(menu, clicks_on_the_edges_do_nothing) {
    script::click(100, 0, 0, 30);
    script::click(100, 1, 0, 30);
    script::click(0, 200, 0, 30);
    script::click(100, 200, 1, 30);  // right button
    leave();
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(passes(), 1);
}

TEST_F(menu, buttons_split_at_multiples_of_fifty) {
    script::click(100, 49, 0, 30);   // Add
    script::line("", 30);            // the wizard's name question: nothing, back to the menu
    script::click(100, 50, 0, 30);   // Favourites: no favourites yet, back at once
    leave();
    EXPECT_EQ(run(), 0);
    const auto& titles = script::window().titles;
    EXPECT_NE(std::find(titles.begin(), titles.end(), "Larderon - Add Recipe"), titles.end());
    EXPECT_EQ(passes(), 3);
}

TEST_F(menu, exit_picture_takes_only_its_two_areas) {
    script::click(100, 449, 0, 30);
    for (auto [x, y] : {std::pair{110, 300}, {129, 300}, {80, 287}, {80, 318}, {150, 287}})
        script::click(x, y, 0, 100);
    script::click(130, 317, 0, 100);  // stay
    script::call([] {
        EXPECT_EQ(script::pointer_x(), 1);
        EXPECT_EQ(script::pointer_y(), 1);
    }, 30);
    leave();
    EXPECT_EQ(run(), 0);
    const auto& titles = script::window().titles;
    EXPECT_EQ(std::count(titles.begin(), titles.end(), "Thank You."), 2);
    EXPECT_EQ(passes(), 2);
}

// Each area's other corner, and one pixel past every edge of both areas.
TEST_F(menu, both_exit_areas_end_exactly_at_their_edges) {
    script::click(249, 2, 0, 30);  // the menu's top right corner: Add
    script::line("", 30);
    script::click(100, 449, 0, 30);
    for (auto [x, y] : {std::pair{65, 300}, {175, 300}, {80, 318}, {150, 318}, {66, 287}, {174, 287}})
        script::click(x, y, 0, 100);
    script::click(174, 288, 0, 100);  // stay
    script::click(100, 449, 0, 30);
    script::click(66, 288, 0, 100);   // leave
    EXPECT_EQ(run(), 0);
    const auto& titles = script::window().titles;
    EXPECT_EQ(std::count(titles.begin(), titles.end(), "Larderon - Add Recipe"), 1);
    EXPECT_EQ(std::count(titles.begin(), titles.end(), "Thank You."), 2);
    EXPECT_EQ(passes(), 3);
}

TEST_F(menu, leave_area_ends_with_code_zero_at_both_edges) {
    script::click(1, 400, 0, 30);
    script::click(109, 317, 0, 100);
    EXPECT_EQ(run(), 0);
}

// The window's close button at the menu is a click on Exit; at the exit
// picture it means nothing, and Stay then leaves the menu at rest.
TEST_F(menu, the_close_button_leads_to_the_exit_picture_and_means_nothing_there) {
    script::close_button(30);
    script::call([] { EXPECT_EQ(script::window().title, "Thank You."); }, 100);
    script::close_button(30);
    script::click(150, 300, 0, 100);  // stay
    script::call([] { EXPECT_EQ(script::window().title, "Larderon - Main"); }, 300);
    leave();
    EXPECT_EQ(run(), 0);
    const auto& titles = script::window().titles;
    EXPECT_EQ(std::count(titles.begin(), titles.end(), "Thank You."), 2);
    EXPECT_EQ(passes(), 2);
}

// Without a display the program says why in one line and ends with status 1,
// never polling without a window.
TEST_F(menu, a_window_that_cannot_be_opened_ends_the_program_with_one_line) {
    script::call(script::no_display, 30);
    script::click(100, 49, 0, 30);  // Add opens a window of its own
    testing::internal::CaptureStderr();
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Larderon needs a graphical display: no display in this test\n");
    EXPECT_FALSE(screen().open);
}

TEST_F(menu, a_deleted_index_is_made_again_on_the_next_pass) {
    write_whole_file("default.ldr", "3\r\n");
    script::call([] { std::filesystem::remove("default.ldr"); }, 30);
    script::click(100, 449, 0, 30);
    script::click(150, 300, 0, 100);  // stay: a new pass
    script::call([] { EXPECT_EQ(read_whole_file("default.ldr"), "0\r\n"); }, 30);
    leave();
    EXPECT_EQ(run(), 0);
}

TEST_F(menu, missing_pictures_get_labelled_stand_ins) {
    script::call([] {
        const auto& frame = script::window().frame;
        EXPECT_NE(frame[0], 0u);                     // framed slot 1
        EXPECT_NE(frame[static_cast<size_t>(449) * 250], 0u);  // slot 9 reaches the bottom
        int lit = 0;                                 // label pixels inside slot 1
        for (int y = 17; y < 33; ++y)
            for (int x = 60; x < 190; ++x) lit += frame[static_cast<size_t>(y) * 250 + x] == 0xFFFFFF;
        EXPECT_GT(lit, 50);
    }, 30);
    leave();
    EXPECT_EQ(run(), 0);
}

// A count far beyond what the file holds costs nothing: the in-memory index
// is made as it is filled, and the menu keeps the count the file gives.
TEST_F(menu, any_count_in_the_default_index_leaves_the_menu_working) {
    for (int64_t count : {int64_t{2000000000}, int64_t{2147483640}, int64_t{2147483647}, int64_t{20000000}, int64_t{-3}}) {
        write_whole_file("default.ldr", std::to_string(count) + "\r\n");
        EXPECT_EQ(read_recipe_count(0), count);
        EXPECT_EQ(load_index("default.ldr"), 0);
    }
    write_whole_file("default.ldr", "2147483640\r\n");
    leave();
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(passes(), 1);
    EXPECT_EQ(read_whole_file("default.ldr"), "2147483640\r\n");
}

// Strange files in place of the index and the pictures: the index is made
// anew as if it were missing, the pictures are left out.
TEST_F(menu, a_fifo_or_a_device_in_place_of_the_index_or_a_picture_is_not_waited_on) {
    ASSERT_EQ(::mkfifo("default.ldr", 0600), 0);
    EXPECT_EQ(read_recipe_count(7), 7);
    EXPECT_EQ(read_whole_file("default.ldr"), "0\r\n");
    std::filesystem::create_directory("data");
    ASSERT_EQ(::mkfifo("data/exit.jpg", 0600), 0);
    std::filesystem::create_symlink("/dev/zero", "data/add.jpg");
    ASSERT_TRUE(write_jpeg("data/fav.jpg", 250, 50, std::vector<uint32_t>(250 * 50, 0x336699), 90));
    const menu_pictures pictures = load_menu_pictures();
    EXPECT_FALSE(pictures.exit);
    EXPECT_FALSE(pictures.buttons[0]);
    EXPECT_TRUE(pictures.buttons[1]);
    EXPECT_EQ(std::filesystem::current_path(), dir);
}

TEST(single_instance, a_second_name_anywhere_counts_as_a_copy) {
    EXPECT_FALSE(another_copy_running("systemdbashlarderonsshd", "larderon"));
    EXPECT_TRUE(another_copy_running("larderonbashlarderon", "larderon"));
    EXPECT_TRUE(another_copy_running("larderonmylarderon", "larderon"));
    EXPECT_FALSE(another_copy_running("larderonLarderonLARDERON", "larderon"));
    EXPECT_TRUE(another_copy_running("larderonlarderon", "larderon"));
    EXPECT_FALSE(another_copy_running("", "larderon"));
}

TEST(single_instance, the_process_list_holds_this_process) {
    auto names = list_process_names();
    ASSERT_TRUE(names.has_value());
    EXPECT_NE(names->find(own_process_name()), std::string::npos);
}

}  // namespace
