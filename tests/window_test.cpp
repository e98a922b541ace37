#include <string>

#include "platform/input.h"
#include "platform/platform_script.h"
#include "platform/screen_state.h"
#include "shell/font.h"
#include "shell/services.h"
#include "tests/test_support.h"

namespace {

using window_test = larder_test;

// A picture block built by hand: header word, then blue, green, red, 0.
image make_picture(int width, int height, uint32_t colour, int bytes_per_pixel = 4) {
    image picture;
    const uint32_t header = static_cast<uint32_t>(height) * 65536 + static_cast<uint32_t>(width) * 8 +
                            static_cast<uint32_t>(bytes_per_pixel);
    for (int i = 0; i < 4; ++i) picture.block.push_back(static_cast<uint8_t>(header >> (8 * i)));
    for (int p = 0; p < width * height; ++p)
        for (int i = 0; i < 4; ++i) picture.block.push_back(static_cast<uint8_t>(colour >> (8 * i)));
    return picture;
}

uint32_t pixel(int x, int y) {
    const screen_state& s = screen();
    return s.pixels[static_cast<size_t>(y) * static_cast<size_t>(s.width) + static_cast<size_t>(x)];
}

const text_cell& cell(int row, int column) {
    const screen_state& s = screen();
    return s.cells[static_cast<size_t>((row - 1) * s.columns + (column - 1))];
}

// True when the cell's pixels show the glyph of `byte` in those colours.
bool cell_shows(int row, int column, uint8_t byte, uint32_t foreground, uint32_t background) {
    const screen_state& s = screen();
    const uint8_t* glyph = glyph_rows(s.cell_height, byte);
    for (int r = 0; r < s.cell_height; ++r)
        for (int c = 0; c < 8; ++c) {
            const uint32_t want = (glyph[r] & (0x80 >> c)) ? foreground : background;
            if (pixel((column - 1) * 8 + c, (row - 1) * s.cell_height + r) != want) return false;
        }
    return true;
}

void open_menu_window() {
    open_window(250, 450, 32);
    set_text_grid(30, 27);
}

TEST_F(window_test, grid_sizes_give_only_the_allowed_cells) {
    open_window(640, 480, 32);
    set_text_grid(80, 30);
    EXPECT_EQ(screen().cell_height, 16);
    set_text_grid(80, 60);
    EXPECT_EQ(screen().cell_height, 8);
    set_text_grid(80, 34);
    EXPECT_EQ(screen().cell_height, 14);
    EXPECT_EQ(screen().rows, 34);

    open_menu_window();
    EXPECT_EQ(screen().columns, 30);
    EXPECT_EQ(screen().rows, 27);
    EXPECT_EQ(screen().cell_height, 16);
}

TEST_F(window_test, refused_grid_changes_nothing) {
    open_window(640, 480, 32);
    set_text_grid(80, 30);
    set_colour(0xFFFFFF, 0x0000FF);
    locate(5, 7);
    print_text("kept", false);
    const auto pixels = screen().pixels;
    set_text_grid(64, 30);  // 10 pixels wide
    set_text_grid(80, 40);  // 12 pixels high
    set_text_grid(0, 30);
    set_text_grid(80, -1);
    EXPECT_EQ(screen().columns, 80);
    EXPECT_EQ(screen().rows, 30);
    EXPECT_EQ(screen().row, 5);
    EXPECT_EQ(screen().column, 11);
    EXPECT_EQ(screen().pixels, pixels);
    EXPECT_EQ(row_text(5).substr(6, 4), "kept");
}

TEST_F(window_test, accepted_grid_clears_to_the_background_and_homes_the_cursor) {
    open_window(640, 480, 32);
    print_text("old text", true);
    set_colour(-1, 0x123456);
    set_text_grid(80, 30);
    EXPECT_EQ(pixel(0, 0), 0x123456u);
    EXPECT_EQ(pixel(639, 479), 0x123456u);
    EXPECT_EQ(screen().row, 1);
    EXPECT_EQ(screen().column, 1);
    EXPECT_EQ(row_text(1), std::string(80, ' '));
}

TEST_F(window_test, open_window_starts_black_white_on_black_with_a_usable_grid) {
    open_window(640, 480, 32);
    set_colour(0x00FF00, 0xFF0000);
    set_text_grid(80, 30);
    locate(10, 10);
    script::key_down(30);
    script::type("ab");
    pump_and_present();
    pump_and_present();
    pump_and_present();

    open_window(250, 450, 32);
    EXPECT_TRUE(script::window().open);
    EXPECT_EQ(script::window().width, 250);
    EXPECT_EQ(script::window().height, 450);
    EXPECT_EQ(screen().pixels.size(), 250u * 450u);
    for (uint32_t p : screen().pixels) ASSERT_EQ(p, 0u);
    EXPECT_EQ(screen().foreground, 0xFFFFFFu);
    EXPECT_EQ(screen().background, 0x000000u);
    EXPECT_EQ(screen().row, 1);
    EXPECT_EQ(screen().column, 1);
    // The keys of the old window are gone.
    EXPECT_FALSE(key_held(30));
    EXPECT_EQ(read_key(), "");

    // Before any set_text_grid, printing already works in 8x16 cells.
    print_text("Hi", false);
    EXPECT_TRUE(cell_shows(1, 1, 'H', 0xFFFFFF, 0x000000));
    EXPECT_TRUE(cell_shows(1, 2, 'i', 0xFFFFFF, 0x000000));
}

TEST_F(window_test, title_is_kept_across_windows_and_closing_returns_to_the_console) {
    open_window(250, 450, 32);
    set_window_title("Larderon - Main");
    EXPECT_EQ(script::window().title, "Larderon - Main");
    open_window(640, 480, 32);
    EXPECT_EQ(script::window().title, "Larderon - Main");

    close_window();
    EXPECT_FALSE(script::window().open);
    EXPECT_FALSE(screen().open);
    set_window_title("Later");  // kept for the next window
    testing::internal::CaptureStdout();
    print_text("on the console", true);
    print_number(int32_t{-3}, false);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "on the console\n-3");
    open_window(250, 450, 32);
    EXPECT_EQ(script::window().title, "Later");
}

TEST_F(window_test, printed_cells_hold_the_glyph_in_the_colours_of_their_print) {
    open_menu_window();
    set_colour(0xFF0000, -1);
    print_text("Ab", false);
    set_colour(0x16BDFF, 0x000080);
    print_text("\xE9", true);  // é
    EXPECT_TRUE(cell_shows(1, 1, 'A', 0xFF0000, 0x000000));
    EXPECT_TRUE(cell_shows(1, 2, 'b', 0xFF0000, 0x000000));
    EXPECT_TRUE(cell_shows(1, 3, 0xE9, 0x16BDFF, 0x000080));
    EXPECT_EQ(cell(1, 3).byte, 0xE9);
    EXPECT_EQ(cell(1, 3).foreground, 0x16BDFFu);
    EXPECT_EQ(cell(1, 3).background, 0x000080u);
    EXPECT_EQ(cell(1, 1).foreground, 0xFF0000u);
    EXPECT_EQ(screen().row, 2);
    EXPECT_EQ(screen().column, 1);
    EXPECT_TRUE(screen().changed);
}

TEST_F(window_test, negative_colours_keep_the_current_ones) {
    open_menu_window();
    set_colour(0x00FF00, 0x0000FF);
    set_colour(-1, -1);
    EXPECT_EQ(screen().foreground, 0x00FF00u);
    EXPECT_EQ(screen().background, 0x0000FFu);
    set_colour(-1, 0xFFFF00);
    EXPECT_EQ(screen().foreground, 0x00FF00u);
    EXPECT_EQ(screen().background, 0xFFFF00u);
}

TEST_F(window_test, clear_screen_fills_the_whole_window_and_homes_the_cursor) {
    open_menu_window();
    print_text("some text", true);
    set_colour(-1, 0xFFFFFF);
    clear_screen();
    EXPECT_EQ(pixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(pixel(249, 449), 0xFFFFFFu);  // beyond the 240x432 grid as well
    EXPECT_EQ(screen().row, 1);
    EXPECT_EQ(screen().column, 1);
    EXPECT_EQ(row_text(1), std::string(30, ' '));
}

TEST_F(window_test, text_wraps_at_the_last_column) {
    open_menu_window();
    print_text(std::string(30, 'a') + "bcd", false);
    EXPECT_EQ(row_text(1), std::string(30, 'a'));
    EXPECT_EQ(row_text(2).substr(0, 4), "bcd ");
    EXPECT_EQ(screen().row, 2);
    EXPECT_EQ(screen().column, 4);
}

TEST_F(window_test, a_text_that_fills_a_row_takes_no_second_row_for_its_line_end) {
    open_menu_window();
    print_text(std::string(30, 'n'), true);
    print_text("Author:", true);
    EXPECT_EQ(row_text(2).substr(0, 7), "Author:");
    EXPECT_EQ(screen().row, 3);
    EXPECT_EQ(screen().column, 1);
}

TEST_F(window_test, line_end_on_the_last_row_waits_for_the_next_text_to_scroll) {
    open_menu_window();
    print_text("top", true);
    locate(27, 1);
    print_text("last", true);
    EXPECT_EQ(screen().row, 27);
    EXPECT_EQ(screen().column, 30);
    EXPECT_EQ(screen().scrolled, 0);
    EXPECT_EQ(row_text(1).substr(0, 3), "top");

    print_text("next", false);
    EXPECT_EQ(screen().scrolled, 1);
    EXPECT_EQ(row_text(26).substr(0, 4), "last");
    EXPECT_EQ(row_text(27).substr(0, 5), "next ");
    EXPECT_EQ(row_text(1), std::string(30, ' '));  // "top" scrolled away
    EXPECT_EQ(screen().row, 27);
    EXPECT_EQ(screen().column, 5);
}

TEST_F(window_test, filling_the_last_row_waits_for_the_next_text_to_scroll) {
    open_menu_window();
    locate(27, 1);
    print_text(std::string(30, 'z'), false);
    EXPECT_EQ(screen().row, 27);
    EXPECT_EQ(screen().column, 30);
    EXPECT_EQ(screen().scrolled, 0);
    EXPECT_EQ(row_text(27), std::string(30, 'z'));

    // With the line end as well, still only one row is put off.
    locate(27, 1);
    print_text(std::string(30, 'y'), true);
    EXPECT_EQ(screen().scrolled, 0);
    print_text("x", false);
    EXPECT_EQ(screen().scrolled, 1);
    EXPECT_EQ(row_text(26), std::string(30, 'y'));
    EXPECT_EQ(row_text(27).substr(0, 2), "x ");

    // An empty line printed while a scroll is put off scrolls once and puts
    // the next one off again.
    print_text("", true);
    print_text("", true);
    EXPECT_EQ(screen().scrolled, 2);
    print_text("w", false);
    EXPECT_EQ(screen().scrolled, 3);
    EXPECT_EQ(row_text(25).substr(0, 2), "x ");
    EXPECT_EQ(row_text(26), std::string(30, ' '));
    EXPECT_EQ(row_text(27).substr(0, 2), "w ");
}

TEST_F(window_test, locate_cancels_a_put_off_scroll) {
    open_menu_window();
    locate(27, 1);
    print_text("end", true);
    locate(1, 1);
    print_text("home", false);
    EXPECT_EQ(screen().scrolled, 0);
    EXPECT_EQ(row_text(1).substr(0, 4), "home");
    EXPECT_EQ(row_text(27).substr(0, 3), "end");
}

TEST_F(window_test, scrolling_moves_the_grid_pixels_and_clears_the_freed_row) {
    open_menu_window();
    // A marker right of the 240-pixel grid, which scrolling must not move.
    put_image(244, 0, make_picture(6, 450, 0x00FF00));
    set_colour(0xFF0000, 0x000000);
    locate(2, 1);
    print_text("M", false);
    locate(27, 1);
    set_colour(0xFFFFFF, 0x0000FF);
    print_text("", true);
    print_text("q", false);  // the put-off scroll, then q on the freed row

    EXPECT_TRUE(cell_shows(1, 1, 'M', 0xFF0000, 0x000000));
    EXPECT_EQ(cell(1, 1).byte, 'M');
    EXPECT_EQ(cell(1, 1).foreground, 0xFF0000u);
    EXPECT_TRUE(cell_shows(27, 1, 'q', 0xFFFFFF, 0x0000FF));
    for (int x = 8; x < 240; ++x) ASSERT_EQ(pixel(x, 26 * 16 + 5), 0x0000FFu) << x;
    EXPECT_EQ(cell(27, 2).background, 0x0000FFu);
    for (int y = 0; y < 450; ++y) ASSERT_EQ(pixel(246, y), 0x00FF00u) << y;
    // Below the grid (rows 432..449) nothing moved either.
    EXPECT_EQ(pixel(10, 440), 0x000000u);
}

TEST_F(window_test, long_text_scrolls_as_often_as_it_needs) {
    open_menu_window();
    locate(26, 1);
    print_text(std::string(30 * 3 + 2, 'k'), false);
    EXPECT_EQ(screen().scrolled, 2);
    EXPECT_EQ(row_text(24), std::string(30, 'k'));
    EXPECT_EQ(row_text(26), std::string(30, 'k'));
    EXPECT_EQ(row_text(27).substr(0, 3), "kk ");
}

TEST_F(window_test, print_number_puts_a_blank_before_signed_values_that_are_not_negative) {
    open_menu_window();
    print_number(int32_t{5}, false);
    print_number(int32_t{-5}, false);
    print_number(int32_t{0}, true);
    print_number(uint8_t{200}, false);
    print_number(uint8_t{0}, true);
    print_number(int32_t{-2147483647 - 1}, true);
    EXPECT_EQ(row_text(1).substr(0, 7), " 5-5 0 ");
    EXPECT_EQ(row_text(2).substr(0, 5), "2000 ");
    EXPECT_EQ(row_text(3).substr(0, 12), "-2147483648 ");
}

TEST_F(window_test, flood_fill_turns_a_fresh_window_white) {
    open_window(640, 480, 32);
    set_text_grid(80, 30);
    flood_fill(1, 1, 0xFFFFFF);
    for (uint32_t p : screen().pixels) ASSERT_EQ(p, 0xFFFFFFu);
    EXPECT_TRUE(screen().changed);
}

TEST_F(window_test, flood_fill_stops_at_pixels_of_its_own_colour) {
    open_window(640, 480, 32);
    // A red ring from (100, 100) to (199, 199) with a black hole inside.
    put_image(100, 100, make_picture(100, 100, 0xFF0000));
    put_image(101, 101, make_picture(98, 98, 0x000000));
    // A notch of another colour inside the hole is filled too.
    put_image(150, 150, make_picture(4, 4, 0x00FF00));

    flood_fill(120, 120, 0xFF0000);
    EXPECT_EQ(pixel(150, 150), 0xFF0000u);
    EXPECT_EQ(pixel(198, 198), 0xFF0000u);
    EXPECT_EQ(pixel(99, 99), 0x000000u);
    EXPECT_EQ(pixel(200, 150), 0x000000u);
    EXPECT_EQ(pixel(0, 0), 0x000000u);

    // Only the fill colour bounds a fill: a blue fill runs over the red ring.
    flood_fill(639, 479, 0x0000FF);
    for (uint32_t p : screen().pixels) ASSERT_EQ(p, 0x0000FFu);
}

TEST_F(window_test, flood_fill_on_its_own_colour_or_outside_does_nothing) {
    open_window(640, 480, 32);
    flood_fill(-1, 5, 0xFFFFFF);
    flood_fill(640, 5, 0xFFFFFF);
    flood_fill(5, 480, 0xFFFFFF);
    EXPECT_EQ(pixel(0, 0), 0u);
    flood_fill(5, 5, 0x000000);
    EXPECT_EQ(pixel(0, 0), 0u);
}

TEST_F(window_test, flood_fill_follows_a_winding_path) {
    open_window(640, 480, 32);
    // A comb: walls from the top and the bottom in turn leave one snake path.
    for (int i = 0; i < 10; ++i)
        put_image(20 + i * 20, i % 2 ? 30 : 0, make_picture(1, 450, 0xFFFFFF));
    flood_fill(5, 5, 0xFFFFFF);
    for (uint32_t p : screen().pixels) ASSERT_EQ(p, 0xFFFFFFu);
}

TEST_F(window_test, put_image_copies_every_pixel_and_clips_at_the_edges) {
    open_menu_window();
    image picture = make_picture(4, 3, 0x000000);
    // Distinct pixels so a flipped or shifted copy shows.
    for (int i = 0; i < 12; ++i) {
        const uint32_t colour = 0x010203u * static_cast<uint32_t>(i + 1);
        for (int b = 0; b < 4; ++b) picture.block[4 + 4 * static_cast<size_t>(i) + static_cast<size_t>(b)] =
            static_cast<uint8_t>(colour >> (8 * b));
    }
    put_image(10, 20, picture);
    EXPECT_EQ(pixel(10, 20), image_pixel(picture, 0, 0));
    EXPECT_EQ(pixel(13, 20), image_pixel(picture, 3, 0));
    EXPECT_EQ(pixel(10, 22), image_pixel(picture, 0, 2));
    EXPECT_EQ(pixel(13, 22), image_pixel(picture, 3, 2));
    EXPECT_EQ(pixel(14, 20), 0u);

    put_image(-2, -1, picture);
    EXPECT_EQ(pixel(0, 0), image_pixel(picture, 2, 1));
    EXPECT_EQ(pixel(1, 1), image_pixel(picture, 3, 2));
    put_image(248, 448, picture);
    EXPECT_EQ(pixel(249, 449), image_pixel(picture, 1, 1));
    put_image(300, 500, picture);  // wholly outside: nothing, no crash
    put_image(-10, -10, picture);
}

TEST_F(window_test, put_image_refuses_other_pixel_sizes_and_short_blocks) {
    open_menu_window();
    put_image(0, 0, make_picture(10, 10, 0xFFFFFF, 3));
    EXPECT_EQ(pixel(0, 0), 0u);
    image cut = make_picture(10, 10, 0xFFFFFF);
    cut.block.resize(cut.block.size() - 1);
    put_image(0, 0, cut);
    EXPECT_EQ(pixel(0, 0), 0u);
    put_image(0, 0, image{});
    EXPECT_EQ(pixel(0, 0), 0u);
}

TEST_F(window_test, drawing_changes_are_presented_once) {
    open_menu_window();
    pump_and_present();
    const int presents = script::window().presents;
    pump_and_present();
    EXPECT_EQ(script::window().presents, presents);
    put_image(0, 0, make_picture(2, 2, 0x00FF00));
    pump_and_present();
    EXPECT_EQ(script::window().presents, presents + 1);
    EXPECT_EQ(script::window().frame[0], 0x00FF00u);
}

}  // namespace
