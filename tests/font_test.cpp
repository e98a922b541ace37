#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "shell/font.h"

namespace {

const int heights[] = {8, 14, 16};

std::vector<uint8_t> glyph(int height, uint8_t byte) {
    const uint8_t* rows = glyph_rows(height, byte);
    return {rows, rows + height};
}

bool blank(const std::vector<uint8_t>& rows) {
    for (uint8_t row : rows)
        if (row) return false;
    return true;
}

// The no-break space (160) is a blank like the space; byte 127, which the
// 8x16 font has no glyph for, keeps the box there.
TEST(font_test, every_byte_but_nul_and_the_two_spaces_draws_something) {
    for (int height : heights) {
        for (int byte = 1; byte < 256; ++byte) {
            const bool space = byte == ' ' || byte == 0xA0;
            EXPECT_EQ(blank(glyph(height, static_cast<uint8_t>(byte))), space) << height << " " << byte;
        }
        EXPECT_TRUE(blank(glyph(height, 0))) << height;
    }
    EXPECT_EQ(glyph(16, 127), glyph(16, 0x81));
}

TEST(font_test, bytes_without_a_character_draw_one_box_that_no_letter_uses) {
    for (int height : heights) {
        const auto box = glyph(height, 0x81);
        for (uint8_t hole : {0x8D, 0x8F, 0x90, 0x9D}) EXPECT_EQ(glyph(height, hole), box) << height;
        for (int byte = '!'; byte <= '~'; ++byte)
            EXPECT_NE(glyph(height, static_cast<uint8_t>(byte)), box) << height << " " << byte;
        for (int byte = 0xC0; byte <= 0xFF; ++byte)
            EXPECT_NE(glyph(height, static_cast<uint8_t>(byte)), box) << height << " " << byte;
    }
}

// The fonts keep their accented letters at other places than Windows-1252
// does; an accented letter drawn from the right glyph is its base letter
// with a mark above.
TEST(font_test, accented_letters_are_their_base_letter_with_a_mark_above) {
    const std::pair<uint8_t, char> letters[] = {
        {0xE9, 'e'}, {0xE8, 'e'}, {0xEA, 'e'}, {0xE0, 'a'}, {0xE4, 'a'}, {0xFC, 'u'}, {0xF1, 'n'}, {0xF6, 'o'}};
    for (int height : heights)
        for (auto [accented, base] : letters) {
            const auto a = glyph(height, accented);
            const auto b = glyph(height, static_cast<uint8_t>(base));
            EXPECT_NE(a, b) << height << " " << base;
            EXPECT_TRUE(std::equal(a.begin() + 4, a.end(), b.begin() + 4)) << height << " " << int{accented};
        }
}

TEST(font_test, ascii_and_windows_1252_marks_draw_their_own_glyphs) {
    for (int height : heights) {
        const auto box = glyph(height, 0x81);
        EXPECT_NE(glyph(height, 'A'), glyph(height, 'B'));
        EXPECT_NE(glyph(height, 'l'), glyph(height, '1'));
        EXPECT_NE(glyph(height, 'O'), glyph(height, '0'));
        // Euro sign, curly quotes and dashes of the 0x80..0x9F block.
        for (uint8_t byte : {0x80, 0x91, 0x92, 0x93, 0x94, 0x96, 0x97}) {
            EXPECT_NE(glyph(height, byte), box) << height << " " << int{byte};
            EXPECT_NE(glyph(height, byte), glyph(height, '?')) << height << " " << int{byte};
        }
        EXPECT_NE(glyph(height, 0x93), glyph(height, 0x94)) << height;
        EXPECT_NE(glyph(height, 0x96), glyph(height, 0x97)) << height;
    }
}

TEST(font_test, control_bytes_show_the_pc_arrows) {
    for (int height : heights) {
        const auto box = glyph(height, 0x81);
        std::vector<std::vector<uint8_t>> arrows;
        for (uint8_t byte : {0x18, 0x19, 0x1A, 0x1B}) {
            arrows.push_back(glyph(height, byte));
            EXPECT_NE(arrows.back(), box) << height << " " << int{byte};
        }
        for (size_t i = 0; i < arrows.size(); ++i)
            for (size_t j = i + 1; j < arrows.size(); ++j) EXPECT_NE(arrows[i], arrows[j]) << height;
    }
}

}  // namespace
