// The windows' scale: which setting wins, which values count, and the
// magnified frame.
#include <gtest/gtest.h>

#include <vector>

#include "platform/scale.h"

namespace {

TEST(scale_choice, larderon_scale_then_gdk_scale_then_the_display_height) {
    EXPECT_EQ(choose_scale("3", nullptr, 1080).scale, 3);
    EXPECT_EQ(choose_scale(nullptr, "2", 1080).scale, 2);
    EXPECT_EQ(choose_scale("1", "4", 2160).scale, 1);
    EXPECT_EQ(choose_scale("", "", 2160).scale, 2);  // empty counts as not set
    for (auto [height, scale] : {std::pair{0, 1}, {1080, 1}, {1799, 1}, {1800, 2}, {2700, 3}, {10000, 4}})
        EXPECT_EQ(choose_scale(nullptr, nullptr, height).scale, scale) << height;
    EXPECT_TRUE(choose_scale("2", "2.5", 1080).complaints.empty());  // GDK_SCALE was never looked at
}

TEST(scale_choice, a_value_that_is_not_a_whole_number_from_1_to_4_is_passed_over_with_one_line) {
    for (const char* bad : {"0", "5", "1.5", "2x", " 2", "-1", "two"}) {
        const scale_choice choice = choose_scale(bad, "3", 1080);
        EXPECT_EQ(choice.scale, 3) << bad;
        ASSERT_EQ(choice.complaints.size(), 1u) << bad;
        EXPECT_EQ(choice.complaints[0],
                  std::string("Larderon: LARDERON_SCALE=") + bad + " is not a whole number from 1 to 4, so it is ignored.");
    }
    const scale_choice both_bad = choose_scale("9", "1.5", 1800);
    EXPECT_EQ(both_bad.scale, 2);
    EXPECT_EQ(both_bad.complaints.size(), 2u);
}

TEST(scale_choice, each_pixel_becomes_a_block_and_window_pixels_map_back) {
    const uint32_t pixels[] = {1, 2, 3, 4};  // 2 x 2
    std::vector<uint32_t> out(7 * 6, 0);     // rows one pixel wider than the 6 shown
    magnify(pixels, 2, 2, 3, reinterpret_cast<uint8_t*>(out.data()), 7 * 4);
    const std::vector<uint32_t> row1 = {1, 1, 1, 2, 2, 2, 0}, row2 = {3, 3, 3, 4, 4, 4, 0};
    for (int y = 0; y < 6; ++y)
        EXPECT_EQ(std::vector<uint32_t>(out.begin() + y * 7, out.begin() + y * 7 + 7), y < 3 ? row1 : row2) << y;
    for (auto [physical, logical] : {std::pair{-3, -2}, {-1, -1}, {0, 0}, {1, 0}, {2, 1}, {3, 1}, {899, 449}})
        EXPECT_EQ(to_logical(physical, 2), logical) << physical;
}

}  // namespace
