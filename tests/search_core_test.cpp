// The search work without the screen: folding, the line test, the count of
// matching ingredient lines and the Meta Score.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "screens/search_recipes.h"
#include "tests/screen_rows.h"
#include "tests/test_support.h"

namespace {

recipe with_ingredients(const rows& lines) {
    recipe dish;
    dish.ingredient_count = static_cast<uint8_t>(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) dish.ingredients[i + 1] = lines[i];
    return dish;
}

int matches(const rows& lines, const std::vector<std::string>& terms) {
    return count_matching_ingredients(with_ingredients(lines), prepare_terms(terms));
}

bool holds(const std::string& line, const std::string& term) { return holds_any_term(line, prepare_terms({term})); }

}  // namespace

TEST(search_fold, folds_windows_1252_small_letters_and_nothing_else) {
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

TEST(search_fold, a_term_is_found_whatever_the_case_and_nowhere_when_empty) {
    EXPECT_TRUE(holds("\xC9" "CLAIRS", "\xE9" "clair"));  // "éclair" in "ÉCLAIRS"
    EXPECT_TRUE(holds("flour", "FLOUR"));
    EXPECT_FALSE(holds("Stra\xDF" "e", "ss"));
    EXPECT_FALSE(holds("flour", ""));
    EXPECT_FALSE(holds("", "a"));
    // At the line's very end, and longer than what is left of it.
    EXPECT_TRUE(holds("sea salt", "T"));
    EXPECT_TRUE(holds("sea salt", "lt"));
    EXPECT_FALSE(holds("sea sal", "salt"));
}

TEST(search_count, each_matching_line_counts_once_and_only_the_first_50_are_held) {
    EXPECT_EQ(matches({"2 eggs", "1 cup flour", "egg yolk"}, {"egg"}), 2);
    EXPECT_EQ(matches({"egg and flour", "salt"}, {"flour", "EGG"}), 1);
    EXPECT_EQ(matches({"egg", "flour", "salt"}, {"", "quinoa", "SALT"}), 1);
    EXPECT_EQ(matches({"", "x"}, {"", ""}), 0);
    recipe dish = with_ingredients(rows(50, "egg"));
    dish.ingredient_count = 60;  // a count beyond the places held
    EXPECT_EQ(count_matching_ingredients(dish, prepare_terms({"egg"})), 50);
    // More terms than a table bit each: term 35 shares its bit with term 3.
    std::vector<std::string> many(40, "absent");
    many[34] = "zest";
    EXPECT_EQ(matches({"lemon zest", "oil"}, many), 1);
}

TEST(search_count, the_meta_score_is_lines_per_hundred_terms_capped_at_100) {
    EXPECT_EQ(meta_score(2, 1), 100);
    EXPECT_EQ(meta_score(1, 3), 33);
    EXPECT_EQ(meta_score(2, 3), 66);
    EXPECT_EQ(meta_score(50, 1), 100);
    EXPECT_EQ(meta_score(9, 10), 90);
}
