#include <unistd.h>

#include "formats/read_file.h"
#include "storage/recipe.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

// Counts what a file gives; a hook runs when bytes are reported read.
struct counting_sink : recipe_sink {
    int found = 0;
    std::vector<recipe> as_is;
    std::vector<std::string> as_is_bytes;
    uint64_t bytes = 0;
    std::function<void()> on_bytes;

    void take_found(const found_recipe&, const left_out&) override { ++found; }
    void take_as_is(const recipe& dish, std::string_view file) override {
        as_is.push_back(dish);
        as_is_bytes.emplace_back(file);
    }
    void bytes_read(uint64_t count) override {
        bytes += count;
        if (on_bytes) on_bytes();
    }
    bool stopped() const override { return false; }
};

const std::string soup = "\"Soup\",\"Ann\",\"Garden\"\r\n\"Warm\",2\r\n1\r\n\"1 l water\"\r\n1\r\n\"Boil.\"\r\n";

std::string mealmaster_cards(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "MMMMM----- Recipe via Meal-Master (tm) v8.05\n \n      Title: Plain Rice\n Categories: Sides\n"
                "   Servings: 2\n \n      1 c  rice\n      2 c  water\n \n  Simmer covered for 20 minutes.\n \nMMMMM\n\n";
    return text;
}

// Makes the file `size` bytes long without writing them: NUL bytes to read.
void stretch(const fs::path& path, uint64_t size) {
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(size)), 0);
}

}  // namespace

class bounded_reading_test : public larder_test {};

TEST_F(bounded_reading_test, a_recipe_file_is_read_once_and_one_of_exactly_the_limit_is_taken) {
    // Padding after the directions is no part of the recipe.
    const uint64_t limit = uint64_t{1} << 20;
    write_whole_file("limit.rcp", soup + std::string(limit - soup.size(), ' '));
    write_whole_file("over.rcp", soup + std::string(limit + 1 - soup.size(), ' '));
    counting_sink sink;
    // Once read, the file changes on disk: the recipe must come from the
    // bytes read, never from a second read.
    sink.on_bytes = [] { write_whole_file("limit.rcp", "\"Changed\",\"\",\"\"\r\n\"\",0\r\n0\r\n0\r\n"); };
    file_report taken = read_recipes_from("limit.rcp", "limit.rcp", sink);
    EXPECT_EQ(taken.error, 0);
    EXPECT_TRUE(taken.recipes);
    ASSERT_EQ(sink.as_is.size(), 1u);
    EXPECT_EQ(recipe_file_bytes(sink.as_is[0]), soup);
    EXPECT_EQ(sink.as_is_bytes[0].size(), limit);

    sink.on_bytes = nullptr;
    file_report refused = read_recipes_from("over.rcp", "over.rcp", sink);
    EXPECT_EQ(refused.error, EFBIG);
    EXPECT_EQ(refused.limit, limit);
    EXPECT_EQ(sink.as_is.size(), 1u);
}

TEST_F(bounded_reading_test, a_text_file_is_read_up_to_its_cap_and_no_further_than_its_nul_bytes) {
    const uint64_t limit = uint64_t{1} << 30;
    const std::string cards = mealmaster_cards(400);  // more than the first 64 KiB, which must be text
    ASSERT_GT(cards.size(), size_t{1} << 16);
    write_whole_file("limit.txt", cards);
    stretch("limit.txt", limit);
    write_whole_file("over.txt", cards);
    stretch("over.txt", limit + 1);

    counting_sink sink;
    file_report taken = read_recipes_from("limit.txt", "limit.txt", sink);
    EXPECT_EQ(taken.error, 0);
    EXPECT_TRUE(taken.recipes);
    EXPECT_EQ(sink.found, 400);
    EXPECT_EQ(taken.notes,
              std::vector<std::string>{"turns into NUL bytes after " + std::to_string(cards.size()) +
                                       " bytes: the rest was not read."});
    EXPECT_EQ(sink.bytes, limit);  // the progress counts the file as done

    counting_sink over_sink;
    file_report refused = read_recipes_from("over.txt", "over.txt", over_sink);
    EXPECT_EQ(refused.error, EFBIG);
    EXPECT_EQ(refused.limit, limit);
    EXPECT_EQ(over_sink.found, 0);
    EXPECT_EQ(over_sink.bytes, 0u);
}
