#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "shell/jpeg.h"

// The pictures that the build draws into data/, checked against the sizes
// the screens draw them at and the click areas the screens test.

namespace {

std::optional<image> load(const std::string& name) {
    return load_jpeg_image(std::string(LDR_DATA_DIR) + "/" + name);
}

int red(uint32_t p) { return static_cast<int>(p >> 16 & 0xFF); }
int green(uint32_t p) { return static_cast<int>(p >> 8 & 0xFF); }
int blue(uint32_t p) { return static_cast<int>(p & 0xFF); }
int brightness(uint32_t p) { return (red(p) * 30 + green(p) * 59 + blue(p) * 11) / 100; }

// A button's face is light; the shelf between buttons and their edges are dark.
bool light(const image& picture, int x, int y) { return brightness(image_pixel(picture, x, y)) > 180; }
bool dark(const image& picture, int x, int y) { return brightness(image_pixel(picture, x, y)) < 120; }
bool reddish(const image& picture, int x, int y) {
    const uint32_t p = image_pixel(picture, x, y);
    return red(p) > green(p) + 60 && red(p) > blue(p) + 60;
}
bool greenish(const image& picture, int x, int y) {
    const uint32_t p = image_pixel(picture, x, y);
    return green(p) > red(p) + 50 && green(p) > blue(p) + 50;
}
bool bluish(const image& picture, int x, int y) {
    const uint32_t p = image_pixel(picture, x, y);
    return blue(p) > red(p) + 80;
}

struct span {
    int x0, x1;
};

const char* const menu_buttons[] = {"add.jpg",      "fav.jpg",        "browse.jpg", "srchname.jpg", "srchauth.jpg",
                                    "srchsrc.jpg",  "srchingred.jpg", "remove.jpg", "abhp.jpg"};

TEST(artwork_test, every_picture_loads_at_the_size_it_is_drawn_at) {
    struct expected {
        const char* name;
        int width, height;
    };
    std::vector<expected> pictures = {{"exit.jpg", 250, 450},    {"ldr_b_m.jpg", 250, 80}, {"ldr_r_m.jpg", 250, 80},
                                      {"ldr_f_m.jpg", 250, 80}, {"cont.jpg", 250, 50},    {"yn.jpg", 250, 50}};
    for (const char* name : menu_buttons) pictures.push_back({name, 250, 50});
    for (const auto& p : pictures) {
        const auto picture = load(p.name);
        ASSERT_TRUE(picture) << p.name;
        EXPECT_EQ(image_width(*picture), p.width) << p.name;
        EXPECT_EQ(image_height(*picture), p.height) << p.name;
        EXPECT_EQ(image_bytes_per_pixel(*picture), 4) << p.name;
    }
}

// Stacked at 50-pixel steps, the buttons need a visible edge between them,
// and each must be its own picture.
TEST(artwork_test, menu_buttons_are_separate_panels_with_their_own_labels) {
    std::vector<image> buttons;
    for (const char* name : menu_buttons) {
        const auto picture = load(name);
        ASSERT_TRUE(picture) << name;
        EXPECT_TRUE(dark(*picture, 125, 0)) << name;
        EXPECT_TRUE(dark(*picture, 125, 49)) << name;
        EXPECT_TRUE(light(*picture, 240, 25)) << name;
        buttons.push_back(*picture);
    }
    for (size_t i = 0; i < buttons.size(); ++i)
        for (size_t j = i + 1; j < buttons.size(); ++j) {
            // The labels differ in the text area right of the badge.
            int differing = 0;
            for (int y = 5; y < 45; ++y)
                for (int x = 50; x < 245; ++x)
                    if (std::abs(brightness(image_pixel(buttons[i], x, y)) - brightness(image_pixel(buttons[j], x, y))) > 80)
                        ++differing;
            EXPECT_GT(differing, 50) << menu_buttons[i] << " and " << menu_buttons[j];
        }
}

// Each button's face starts right at its click area's first pixel and ends
// at its last; the pixels that choose nothing show the shelf.
void expect_buttons_over(const image& bar, const std::vector<span>& buttons, int y, const std::string& where) {
    int gap_from = 0;
    for (const span& b : buttons) {
        for (int x = gap_from; x < b.x0; ++x) EXPECT_TRUE(dark(bar, x, y)) << where << " gap at x " << x;
        EXPECT_TRUE(light(bar, b.x0 + 2, y)) << where << " face at x " << b.x0 + 2;
        EXPECT_TRUE(light(bar, b.x1 - 2, y)) << where << " face at x " << b.x1 - 2;
        gap_from = b.x1 + 1;
    }
    EXPECT_EQ(gap_from, 250) << where << ": the last button reaches the right edge";
}

TEST(artwork_test, button_bars_put_each_button_over_its_click_area) {
    const std::vector<span> options = {{1, 61}, {63, 124}, {126, 186}, {188, 249}};
    const std::vector<span> strip_with_edit = {{1, 96}, {98, 162}, {164, 249}};
    const std::vector<span> strip_without_edit = {{1, 124}, {126, 249}};
    struct bar {
        const char* name;
        const std::vector<span>& strip;
    };
    for (const bar& b : {bar{"ldr_b_m.jpg", strip_with_edit}, bar{"ldr_f_m.jpg", strip_with_edit},
                         bar{"ldr_r_m.jpg", strip_without_edit}}) {
        const auto picture = load(b.name);
        ASSERT_TRUE(picture) << b.name;
        // Drawn at y 370: the strip is y 371..390, the options y 391..449.
        expect_buttons_over(*picture, b.strip, 10, std::string(b.name) + " strip");
        expect_buttons_over(*picture, options, 63, std::string(b.name) + " options");
        for (int x : {30, 80, 150, 220}) {
            EXPECT_TRUE(dark(*picture, x, 0)) << b.name << " x " << x;
            EXPECT_TRUE(light(*picture, x, 19)) << b.name << " x " << x;  // still the strip
            EXPECT_TRUE(dark(*picture, x, 20) || dark(*picture, x, 21)) << b.name << " x " << x;
            EXPECT_TRUE(light(*picture, x, 23)) << b.name << " x " << x;  // already an option
        }
    }
}

TEST(artwork_test, yes_and_no_halves_meet_where_the_answer_changes) {
    const auto yn = load("yn.jpg");
    ASSERT_TRUE(yn);
    // Between the rounded corners the two colours touch at 124 | 125.
    for (int y : {12, 25, 38}) {
        for (int x : {3, 123, 124}) EXPECT_TRUE(greenish(*yn, x, y)) << x << "," << y;
        for (int x : {125, 126, 246}) EXPECT_TRUE(reddish(*yn, x, y)) << x << "," << y;
    }
    for (int y : {5, 45}) {
        for (int x : {3, 121}) EXPECT_TRUE(greenish(*yn, x, y)) << x << "," << y;
        for (int x : {128, 246}) EXPECT_TRUE(reddish(*yn, x, y)) << x << "," << y;
    }
    EXPECT_TRUE(dark(*yn, 0, 25));
    EXPECT_TRUE(dark(*yn, 60, 0));
    EXPECT_TRUE(dark(*yn, 190, 0));
}

TEST(artwork_test, continue_picture_fills_its_click_area) {
    const auto cont = load("cont.jpg");
    ASSERT_TRUE(cont);
    for (auto [x, y] : {std::pair{3, 25}, {246, 25}, {125, 3}, {125, 47}, {20, 47}, {230, 3}})
        EXPECT_TRUE(bluish(*cont, x, y)) << x << "," << y;
    EXPECT_TRUE(dark(*cont, 0, 25));
    EXPECT_TRUE(dark(*cont, 125, 0));
}

TEST(artwork_test, exit_picture_buttons_cover_the_leave_and_stay_areas) {
    const auto exit = load("exit.jpg");
    ASSERT_TRUE(exit);
    // Leave: x 66..109, y 288..317, a red button.
    for (auto [x, y] : {std::pair{68, 300}, {107, 300}, {88, 290}, {88, 315}, {68, 290}, {107, 315}})
        EXPECT_TRUE(reddish(*exit, x, y)) << x << "," << y;
    // Stay: x 130..174, y 288..317, a green button.
    for (auto [x, y] : {std::pair{132, 300}, {172, 300}, {152, 290}, {152, 315}, {132, 315}, {172, 290}})
        EXPECT_TRUE(greenish(*exit, x, y)) << x << "," << y;
    // Around and between them the card is plain.
    for (auto [x, y] : {std::pair{63, 300}, {112, 300}, {120, 300}, {127, 300}, {177, 300}, {88, 285}, {88, 320},
                        {152, 285}, {152, 320}})
        EXPECT_TRUE(light(*exit, x, y)) << x << "," << y;
}

}  // namespace
