#include <gtest/gtest.h>

#include <string_view>

#include "import_recipes/file_kind.h"

TEST(file_kinds, pictures_and_archives_are_told_by_their_first_bytes) {
    using namespace std::literals;
    EXPECT_EQ(kind_of_start("\xFF\xD8\xFF\xE0"), file_kind::picture);
    EXPECT_EQ(kind_of_start("\x89PNG\r\n\x1A\n\0\0"sv), file_kind::picture);
    EXPECT_EQ(kind_of_start("GIF89a"), file_kind::picture);
    EXPECT_EQ(kind_of_start("RIFF\x10\0\0\0WEBPVP8 "sv), file_kind::picture);
    EXPECT_EQ(kind_of_start("RIFF\x10\0\0\0WAVE"sv), file_kind::other);
    EXPECT_EQ(kind_of_start("RIFF"), file_kind::other);
    EXPECT_EQ(kind_of_start("PK\x03\x04"), file_kind::archive);
    EXPECT_EQ(kind_of_start("\x1F\x8B\x08"), file_kind::archive);
    EXPECT_EQ(kind_of_start("notes"), file_kind::other);
    EXPECT_EQ(kind_of_start(""), file_kind::other);
}
