#include <cmath>
#include <filesystem>

#include "shell/services.h"
#include "storage/recipe.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

using storage_recipe_test = larder_test;

recipe apple_pie() {
    recipe dish;
    dish.name = "Apple pie";
    dish.servings = 0;
    dish.ingredient_count = 1;
    dish.ingredients[1] = "2 cups flour, sifted";
    dish.direction_count = 1;
    dish.directions[1] = "Bake.";
    return dish;
}

void expect_same(const recipe& a, const recipe& b) {
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.author, b.author);
    EXPECT_EQ(a.source, b.source);
    EXPECT_EQ(a.description, b.description);
    EXPECT_EQ(a.servings, b.servings);
    ASSERT_EQ(a.ingredient_count, b.ingredient_count);
    ASSERT_EQ(a.direction_count, b.direction_count);
    for (int i = 1; i <= a.ingredient_count; ++i) EXPECT_EQ(a.ingredients[i], b.ingredients[i]) << i;
    for (int i = 1; i <= a.direction_count; ++i) EXPECT_EQ(a.directions[i], b.directions[i]) << i;
}

}  // namespace

TEST_F(storage_recipe_test, a_small_recipe_is_six_exact_lines_and_reads_back) {
    write_recipe("1000.rcp", apple_pie());
    EXPECT_EQ(last_error(), 0);
    EXPECT_EQ(read_whole_file("1000.rcp"),
              "\"Apple pie\",\"\",\"\"\r\n"
              "\"\",0\r\n"
              "1\r\n"
              "\"2 cups flour, sifted\"\r\n"
              "1\r\n"
              "\"Bake.\"\r\n");
    expect_same(read_recipe("1000.rcp"), apple_pie());
}

TEST_F(storage_recipe_test, a_full_recipe_round_trips_with_negative_servings) {
    recipe dish;
    dish.name = "Stew";
    dish.author = "Ann Lee";
    dish.source = "Grandma's book, page 3";
    dish.description = "Slow, rich and brown";
    dish.servings = -4;
    dish.ingredient_count = 50;
    dish.direction_count = 50;
    for (int i = 1; i <= 50; ++i) {
        dish.ingredients[i] = "ingredient " + std::to_string(i) + ", chopped";
        dish.directions[i] = "step " + std::to_string(i);
    }
    write_recipe("stew.rcp", dish);
    std::string bytes = read_whole_file("stew.rcp");
    EXPECT_NE(bytes.find("\"Slow, rich and brown\",-4\r\n"), std::string::npos);
    expect_same(read_recipe("stew.rcp"), dish);
}

TEST_F(storage_recipe_test, double_quotes_are_stored_as_two_apostrophes_and_nothing_shifts) {
    recipe dish = apple_pie();
    dish.name = "The \"best\" pie";
    dish.ingredients[1] = "an 8\" pan";
    write_recipe("q.rcp", dish);
    recipe back = read_recipe("q.rcp");
    EXPECT_EQ(back.name, "The ''best'' pie");
    EXPECT_EQ(back.ingredients[1], "an 8'' pan");
    EXPECT_EQ(back.direction_count, 1);
    EXPECT_EQ(back.directions[1], "Bake.");
}

TEST_F(storage_recipe_test, the_writer_stores_no_more_than_fifty_items) {
    recipe dish = apple_pie();
    dish.ingredient_count = 200;
    write_recipe("big.rcp", dish);
    recipe back = read_recipe("big.rcp");
    EXPECT_EQ(back.ingredient_count, 50);
    EXPECT_EQ(back.direction_count, 1);
}

TEST_F(storage_recipe_test, lone_line_feeds_and_unquoted_fields_follow_the_reader_rules) {
    write_whole_file("plain.rcp", "Soup,Ann,Old family book\nHot,4\n1\n2 cups water\n1\nBoil it well\n");
    recipe soup = read_recipe("plain.rcp");
    EXPECT_EQ(soup.name, "Soup");
    EXPECT_EQ(soup.author, "Ann");
    EXPECT_EQ(soup.source, "Old family book");  // the source keeps its blanks
    EXPECT_EQ(soup.description, "Hot");
    EXPECT_EQ(soup.servings, 4);
    EXPECT_EQ(soup.ingredients[1], "2 cups water");
    EXPECT_EQ(soup.directions[1], "Boil it well");
    // An unquoted name ends at its first blank.
    write_whole_file("blank.rcp", "Apple pie,Ann,Book\r\n");
    recipe pie = read_recipe("blank.rcp");
    EXPECT_EQ(pie.name, "Apple");
    EXPECT_EQ(pie.author, "pie");
    EXPECT_EQ(pie.source, "Ann");
}

TEST_F(storage_recipe_test, missing_and_short_files_read_as_empty_parts) {
    expect_same(read_recipe("missing.rcp"), recipe{});
    write_whole_file("short.rcp", "\"Soup\",\"Ann\"");
    recipe soup = read_recipe("short.rcp");
    EXPECT_EQ(soup.name, "Soup");
    EXPECT_EQ(soup.author, "Ann");
    EXPECT_EQ(soup.source, "");
    EXPECT_EQ(soup.servings, 0);
    EXPECT_EQ(soup.ingredient_count, 0);
    EXPECT_EQ(soup.direction_count, 0);
    // A count the file does not fill: the missing items are empty texts.
    write_whole_file("cut.rcp", "\"a\",\"\",\"\"\r\n\"\",2\r\n3\r\n\"x\"\r\n");
    recipe cut = read_recipe("cut.rcp");
    EXPECT_EQ(cut.servings, 2);
    EXPECT_EQ(cut.ingredient_count, 3);
    EXPECT_EQ(cut.ingredients[1], "x");
    EXPECT_EQ(cut.ingredients[2], "");
    EXPECT_EQ(cut.direction_count, 0);
}

TEST_F(storage_recipe_test, a_count_above_fifty_keeps_the_first_fifty_and_stays_in_step) {
    std::string file = "\"Feast\",\"\",\"\"\r\n\"\",99999999999\r\n60\r\n";
    for (int i = 1; i <= 60; ++i) file += "\"i" + std::to_string(i) + "\"\r\n";
    file += "2\r\n\"first\"\r\n\"second\"\r\n";
    write_whole_file("feast.rcp", file);
    recipe feast = read_recipe("feast.rcp");
    EXPECT_EQ(feast.servings, 2147483647);  // clamped to 32 bits
    EXPECT_EQ(feast.ingredient_count, 50);
    EXPECT_EQ(feast.ingredients[50], "i50");
    EXPECT_EQ(feast.direction_count, 2);
    EXPECT_EQ(feast.directions[2], "second");
}

TEST_F(storage_recipe_test, early_stopping_readers_leave_out_what_they_skip) {
    recipe dish = apple_pie();
    dish.description = "Sweet";
    dish.servings = 6;
    write_recipe("pie.rcp", dish);
    recipe heading = read_recipe_heading("pie.rcp");
    EXPECT_EQ(heading.name, "Apple pie");
    EXPECT_EQ(heading.description, "Sweet");
    EXPECT_EQ(heading.servings, 6);
    EXPECT_EQ(heading.ingredient_count, 0);
    recipe ingredients = read_recipe_ingredients("pie.rcp");
    EXPECT_EQ(ingredients.ingredient_count, 1);
    EXPECT_EQ(ingredients.ingredients[1], "2 cups flour, sifted");
    EXPECT_EQ(ingredients.direction_count, 0);
    // File number 1 was closed: it opens for another file at once.
    open_file("pie.rcp", file_mode::input, 1);
    EXPECT_EQ(read_field(1, false), "Apple pie");
}

TEST_F(storage_recipe_test, a_write_that_cannot_start_is_reported) {
    write_recipe("no_dir/pie.rcp", apple_pie());
    EXPECT_NE(last_error(), 0);
    fs::create_directory("dir.rcp");
    write_recipe("dir.rcp", apple_pie());
    EXPECT_NE(last_error(), 0);
}

TEST_F(storage_recipe_test, new_names_come_from_the_clock_and_skip_taken_ones) {
    double start = std::floor(timer_seconds());
    std::string first = make_recipe_file_name();
    EXPECT_EQ(first, std::to_string(static_cast<long long>(start)) + ".rcp");
    write_recipe(first, apple_pie());
    std::string second = make_recipe_file_name();
    EXPECT_EQ(second, std::to_string(static_cast<long long>(start) + 1) + ".rcp");
    EXPECT_FALSE(fs::exists(second));  // only looked for, not made
    EXPECT_LT(timer_seconds(), start + 2);
}
