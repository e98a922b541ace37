#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <vector>

#include "shell/fields.h"

namespace {

// Every text field of `data`, read until its end.
std::vector<std::string> text_fields(const std::string& data, bool keep_blanks) {
    std::vector<std::string> fields;
    size_t pos = 0;
    while (pos < data.size()) fields.push_back(read_text_field(data, pos, keep_blanks));
    return fields;
}

std::vector<int64_t> number_fields(const std::string& data) {
    std::vector<int64_t> numbers;
    size_t pos = 0;
    while (pos < data.size()) numbers.push_back(read_number_from(data, pos));
    return numbers;
}

using texts = std::vector<std::string>;
using numbers = std::vector<int64_t>;

}  // namespace

TEST(field_reader, quoted_texts_keep_commas_and_blanks) {
    EXPECT_EQ(text_fields("\"2 cups flour, sifted\",\" x \"\r\n", false), (texts{"2 cups flour, sifted", " x "}));
    // Blanks after the closing quote and one comma or line end belong to the field.
    EXPECT_EQ(text_fields("\"a\"   ,\"b\" \t\r\n\"c\"", false), (texts{"a", "b", "c"}));
    // Anything else after the closing quote begins the next field.
    EXPECT_EQ(text_fields("\"a\"b,c", false), (texts{"a", "b", "c"}));
    // An empty quoted text, and a quote that is never closed.
    EXPECT_EQ(text_fields("\"\",\"open, to the end", false), (texts{"", "open, to the end"}));
}

TEST(field_reader, unquoted_texts_end_at_a_blank_unless_blanks_are_kept) {
    EXPECT_EQ(text_fields("  Apple pie,Granny\r\n", false), (texts{"Apple", "pie", "Granny"}));
    EXPECT_EQ(text_fields("  Apple pie,Granny\r\n", true), (texts{"Apple pie", "Granny"}));
    // A blank that ends a field also takes the blanks and the comma after it.
    EXPECT_EQ(text_fields("abc   ,def", false), (texts{"abc", "def"}));
    // A double quote later in an unquoted field is an ordinary byte.
    EXPECT_EQ(text_fields("8\" pan,x", true), (texts{"8\" pan", "x"}));
}

TEST(field_reader, line_ends_are_crlf_lf_or_a_lone_cr) {
    EXPECT_EQ(text_fields("a\r\nb\nc\rd", false), (texts{"a", "b", "c", "d"}));
    EXPECT_EQ(text_fields("\"a\"\n\"b\"\r\n", false), (texts{"a", "b"}));
    // An empty line is one empty field.
    EXPECT_EQ(text_fields("\r\nx", false), (texts{"", "x"}));
}

TEST(field_reader, the_end_of_the_data_gives_empty_fields) {
    std::string data = "\"last\"";
    size_t pos = 0;
    EXPECT_EQ(read_text_field(data, pos, true), "last");
    EXPECT_EQ(pos, data.size());
    EXPECT_EQ(read_text_field(data, pos, true), "");
    EXPECT_EQ(read_number_from(data, pos), 0);
    EXPECT_EQ(pos, data.size());
}

TEST(field_reader, overlong_fields_are_cut_without_shifting_later_fields) {
    std::string long_text(5000, 'x');
    EXPECT_EQ(text_fields(long_text + ",next", true), (texts{std::string(4096, 'x'), "next"}));
    EXPECT_EQ(text_fields("\"" + long_text + "\",next", true), (texts{std::string(4096, 'x'), "next"}));
    // 25 characters: the first 22 are "0000000000000000000012".
    EXPECT_EQ(number_fields("0000000000000000000012345,7"), (numbers{12, 7}));
}

TEST(field_reader, numbers_round_decimals_half_to_even) {
    EXPECT_EQ(number_fields("2.5,3.5,-2.5,0.5,1.49,-7,+4"), (numbers{2, 4, -2, 0, 1, -7, 4}));
    // No digits reads 0; the leading number counts.
    EXPECT_EQ(number_fields("abc,,12abc,-,."), (numbers{0, 0, 12, 0, 0}));
    // A blank ends a number field, and takes the comma after it.
    EXPECT_EQ(number_fields(" 5 ,6 7\r\n8"), (numbers{5, 6, 7, 8}));
    EXPECT_EQ(number_fields("\"42\",1e3"), (numbers{42, 1}));
    EXPECT_EQ(number_fields("99999999999999999999,-99999999999999999999,1.5e300"),
              (numbers{std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::min(),
                       std::numeric_limits<int64_t>::max()}));
    EXPECT_EQ(number_fields("9223372036854775807,-9223372036854775808"),
              (numbers{std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::min()}));
}

TEST(field_reader, every_read_moves_on_so_no_input_loops_forever) {
    std::mt19937 random(20240607);
    const std::string alphabet = "\"\",, \t\r\n\n0123.-ab";
    for (int round = 0; round < 3000; ++round) {
        std::string data(random() % 40, ' ');
        for (char& c : data) c = alphabet[random() % alphabet.size()];
        for (int kind = 0; kind < 3; ++kind) {
            size_t pos = 0;
            while (pos < data.size()) {
                size_t before = pos;
                if (kind == 2)
                    read_number_from(data, pos);
                else
                    read_text_field(data, pos, kind == 1);
                ASSERT_GT(pos, before) << "stuck in: " << data;
                ASSERT_LE(pos, data.size());
            }
        }
    }
}

TEST(field_writer, texts_are_quoted_and_quotes_become_two_apostrophes) {
    EXPECT_EQ(encode_text_field("Apple pie"), "\"Apple pie\"");
    EXPECT_EQ(encode_text_field(""), "\"\"");
    EXPECT_EQ(encode_text_field("8\" pan, \"round\""), "\"8'' pan, ''round''\"");
    // What the writer makes, the reader gives back (quotes aside).
    std::string data = encode_text_field("a, \"b\"") + "," + encode_text_field(" c ") + "\r\n";
    EXPECT_EQ(text_fields(data, false), (texts{"a, ''b''", " c "}));
}
