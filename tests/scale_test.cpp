// Which setting gives the windows' scale, and which values count.
#include <gtest/gtest.h>

#include "platform/scale.h"

namespace {

TEST(scale_choice, larderon_scale_then_gdk_scale_then_the_display_height) {
    EXPECT_EQ(choose_scale("3", nullptr, 1080).scale, 3);
    EXPECT_EQ(choose_scale(nullptr, "2", 1080).scale, 2);
    EXPECT_EQ(choose_scale("1", "4", 2160).scale, 1);
    for (auto [height, scale] : {std::pair{0, 1}, {1799, 1}, {1800, 2}, {2700, 3}, {10000, 4}})
        EXPECT_EQ(choose_scale(nullptr, "", height).scale, scale) << height;
}

TEST(scale_choice, a_value_that_is_not_a_whole_number_from_1_to_4_is_passed_over_with_one_line) {
    for (const char* bad : {"0", "5", "1.5", "2x", " 2", "-1"}) {
        const scale_choice choice = choose_scale(bad, "3", 1080);
        EXPECT_EQ(choice.scale, 3) << bad;
        EXPECT_EQ(choice.complaints, std::vector<std::string>{std::string("Larderon: LARDERON_SCALE=") + bad +
                                                              " is not a whole number from 1 to 4, so it is ignored."});
    }
    EXPECT_EQ(choose_scale("9", "1.5", 1800).complaints.size(), 2u);
    EXPECT_EQ(choose_scale("9", "1.5", 1800).scale, 2);
}

}  // namespace
