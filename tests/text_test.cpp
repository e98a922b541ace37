#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "shell/text.h"

TEST(text_conversions, numbers_become_text_without_a_leading_blank) {
    EXPECT_EQ(int_to_text(5), "5");
    EXPECT_EQ(int_to_text(-5), "-5");
    EXPECT_EQ(int_to_text(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
    EXPECT_EQ(double_to_text(2), "2");
    EXPECT_EQ(double_to_text(0.5), "0.5");
    EXPECT_EQ(double_to_text(0.1), "0.1");
    EXPECT_EQ(double_to_text(-2.25), "-2.25");
    EXPECT_EQ(double_to_text(-0.0), "0");
    EXPECT_EQ(double_to_text(1.0 / 3), "0.3333333333333333");  // 16 significant digits
    EXPECT_EQ(double_to_text(123456789012.0), "123456789012");
}

TEST(text_conversions, text_to_number_reads_only_the_leading_number) {
    EXPECT_EQ(text_to_number("12abc"), 12);
    EXPECT_EQ(text_to_number("  -3.5 cups"), -3.5);
    EXPECT_EQ(text_to_number("+7"), 7);
    EXPECT_EQ(text_to_number("-.5"), -0.5);
    EXPECT_EQ(text_to_number("1e3"), 1000);
    EXPECT_EQ(text_to_number("2.5e-1x"), 0.25);
    EXPECT_EQ(text_to_number("5e"), 5);
    EXPECT_EQ(text_to_number("5e+"), 5);
    EXPECT_EQ(text_to_number("7."), 7);
    // No number at the start: 0, also for the words strtod would take.
    EXPECT_EQ(text_to_number("abc 12"), 0);
    EXPECT_EQ(text_to_number(""), 0);
    EXPECT_EQ(text_to_number("."), 0);
    EXPECT_EQ(text_to_number("-"), 0);
    EXPECT_EQ(text_to_number("inf"), 0);
    EXPECT_EQ(text_to_number("nan"), 0);
    EXPECT_EQ(text_to_number("0x10"), 0);
    EXPECT_TRUE(std::isinf(text_to_number("1e999")));
    EXPECT_EQ(text_to_number("1e-999"), 0);
}

TEST(text_conversions, rounding_takes_halves_to_the_even_neighbour) {
    EXPECT_EQ(round_half_even(0.5), 0);
    EXPECT_EQ(round_half_even(1.5), 2);
    EXPECT_EQ(round_half_even(2.5), 2);
    EXPECT_EQ(round_half_even(-0.5), 0);
    EXPECT_EQ(round_half_even(-1.5), -2);
    EXPECT_EQ(round_half_even(-2.5), -2);
    EXPECT_EQ(round_half_even(2.4999), 2);
    EXPECT_EQ(round_half_even(2.5001), 3);
    EXPECT_EQ(round_half_even(1e30), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(round_half_even(-1e30), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(round_half_even(std::numeric_limits<double>::infinity()), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(round_half_even(std::nan("")), 0);
}

TEST(text_conversions, upper_casing_changes_a_to_z_only) {
    EXPECT_EQ(upper_case("yes, Y\xe9s 1z"), "YES, Y\xe9S 1Z");  // é (0xE9) stays
}

TEST(text_conversions, find_is_case_sensitive_and_counts_from_one) {
    EXPECT_EQ(find_text("hello", "l"), 3);
    EXPECT_EQ(find_text("hello", "l", 4), 4);
    EXPECT_EQ(find_text("hello", "l", 5), 0);
    EXPECT_EQ(find_text("hello", "L"), 0);
    EXPECT_EQ(find_text("hello", "hello!"), 0);
    EXPECT_EQ(find_text("hello", "h", 0), 1);
    EXPECT_EQ(find_text("hello", "o", 99), 0);
    EXPECT_EQ(find_text("", "a"), 0);
}

TEST(text_conversions, trimming_removes_blanks_only) {
    EXPECT_EQ(trim_blanks("  a b  "), "a b");
    EXPECT_EQ(trim_blanks("\ta\t"), "\ta\t");
    EXPECT_EQ(trim_blanks("   "), "");
    EXPECT_EQ(trim_blanks(""), "");
}
