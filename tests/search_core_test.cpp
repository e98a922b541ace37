// The search work without the screen: folding, the line test across many
// terms, the count of matching ingredient lines and the Meta Score's cap.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "screens/search_recipes.h"
#include "tests/screen_rows.h"

namespace {

int matches(const rows& lines, const std::vector<std::string>& terms, int count = -1) {
    recipe dish;
    dish.ingredient_count = static_cast<uint8_t>(count < 0 ? lines.size() : count);
    for (size_t i = 0; i < lines.size(); ++i) dish.ingredients[i + 1] = lines[i];
    return count_matching_ingredients(dish, prepare_terms(terms));
}

}  // namespace

TEST(search_core, folds_windows_1252_small_letters_and_nothing_else) {
    EXPECT_EQ(folded("abc xyz \xE0\xE9\xF6\xF8\xFE"), "ABC XYZ \xC0\xC9\xD6\xD8\xDE");
    EXPECT_EQ(folded("\x9A\x9C\x9E\xFF"), "\x8A\x8C\x8E\x9F");  // š œ ž ÿ
    EXPECT_EQ(folded("\xF7\xDF\xB5\xD7"), "\xF7\xDF\xB5\xD7");  // ÷ ß µ × stay
    for (int byte = 0; byte < 256; ++byte) {
        const uint8_t up = fold_table[static_cast<size_t>(byte)];
        EXPECT_EQ(fold_table[up], up) << byte;  // folding twice changes nothing more
        if (byte < 'a' || (byte > 'z' && byte < 0x9A)) {
            EXPECT_EQ(up, byte) << byte;
        }
    }
}

TEST(search_core, lines_count_once_and_terms_are_found_at_the_edges_only_whole) {
    EXPECT_EQ(matches({"egg and flour", "2 EGGS", "salt"}, {"flour", "egg"}), 2);
    EXPECT_EQ(matches({"sea salt", "sea sal", "pepper"}, {"lt", "r"}), 2);  // at the very end
    EXPECT_EQ(matches({"sal", "x"}, {"salt", ""}), 0);                       // longer than the line; empty
    EXPECT_EQ(matches(rows(50, "egg"), {"egg"}, 60), 50);  // a count beyond the 50 places held
    // More terms than the tables have bits: term 35 shares its bit with term 3.
    std::vector<std::string> many(40, "absent");
    many[34] = "zest";
    EXPECT_EQ(matches({"lemon zest", "oil"}, many), 1);
}

TEST(search_core, the_meta_score_rounds_down_and_stops_at_100) {
    EXPECT_EQ(meta_score(2, 3), 66);
    EXPECT_EQ(meta_score(2, 1), 100);
    EXPECT_EQ(meta_score(50, 1), 100);
}
