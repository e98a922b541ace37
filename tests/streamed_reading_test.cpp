#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <cstdlib>

#include "formats/fit_recipe.h"
#include "formats/read_file.h"
#include "formats/result_bytes.h"
#include "formats/schema_org.h"
#include "tests/test_support.h"

namespace {

found_recipe named(const std::string& name, std::size_t description_size = 0) {
    found_recipe recipe;
    recipe.name = name;
    recipe.description.assign(description_size, 'd');
    return recipe;
}

struct keeping_sink : recipe_sink {
    std::vector<found_recipe> found;
    std::vector<left_out> extras;

    void take_found(const found_recipe& recipe, const left_out& extra) override {
        found.push_back(recipe);
        extras.push_back(extra);
    }
    void take_as_is(const recipe&, std::string_view) override {}
    void bytes_read(uint64_t) override {}
    bool stopped() const override { return false; }
};

std::string list_of(const std::string& item, std::size_t count) {
    std::string text = "[";
    for (std::size_t i = 0; i < count; ++i) text += (i > 0 ? "," : "") + item;
    return text + "]";
}

}  // namespace

TEST(streamed_reading, a_recipe_reaches_this_process_while_the_child_still_reads) {
    // The child hands on a recipe larger than one write, then waits for this
    // process to say it has it: only a stream of recipes ever answers.
    int answer[2];
    ASSERT_EQ(::pipe(answer), 0);
    std::vector<found_recipe> taken;
    const read_result result = read_in_child(
        [&](const found_taker& take) {
            found_recipe first = named("First", 100'000);
            first.ingredients = {"1 egg", ""};
            first.ingredients_left_out = 7;
            first.direction_bytes_left_out = 9;
            take(std::move(first));
            pollfd wait{answer[0], POLLIN, 0};
            const bool answered = ::poll(&wait, 1, 5000) == 1;
            take(named("Second"));
            return read_result{{}, {answered ? "answered" : "no answer"}, 3};
        },
        "file",
        [&](found_recipe&& recipe) {
            taken.push_back(std::move(recipe));
            if (taken.size() == 1) {
                EXPECT_EQ(::write(answer[1], "!", 1), 1);
            }
        });
    ::close(answer[0]);
    ::close(answer[1]);
    EXPECT_EQ(result.notes, std::vector<std::string>{"answered"});
    EXPECT_EQ(result.pictures, 3);
    EXPECT_TRUE(result.recipes.empty());
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(taken[0].description, std::string(100'000, 'd'));
    EXPECT_EQ(taken[0].ingredients, (std::vector<std::string>{"1 egg", ""}));
    EXPECT_EQ(taken[0].ingredients_left_out, 7u);
    EXPECT_EQ(taken[0].direction_bytes_left_out, 9u);
    EXPECT_EQ(taken[1].name, "Second");
}

TEST(streamed_reading, recipes_given_before_the_child_fails_stay_given_and_the_file_gets_its_note) {
    std::vector<std::string> names;
    const auto fail_after_one = [](const found_taker& take) {
        take(named("Kept", 70'000));  // past one write: it leaves the child at once
        std::abort();
        return read_result{};
    };
    const read_result streamed =
        read_in_child(fail_after_one, "file", [&](found_recipe&& recipe) { names.push_back(recipe.name); });
    EXPECT_EQ(names, std::vector<std::string>{"Kept"});
    EXPECT_EQ(streamed.notes, std::vector<std::string>{"The file could not be read: the reader stopped on it."});
    // Collected into a result, a failed read gives nothing but the note.
    const read_result collected = read_in_child(fail_after_one, "page", {});
    EXPECT_TRUE(collected.recipes.empty());
    EXPECT_EQ(collected.notes, std::vector<std::string>{"The page could not be read: the reader stopped on it."});
    // A reader that gives back its recipes at once gets them back whole.
    const read_result whole = read_in_child([] { return read_result{{named("A"), named("B")}, {"n"}, 0}; }, "page");
    ASSERT_EQ(whole.recipes.size(), 2u);
    EXPECT_EQ(whole.recipes[1].name, "B");
    EXPECT_EQ(whole.notes, std::vector<std::string>{"n"});
}

TEST(streamed_reading, the_bytes_here_are_let_go_once_the_child_has_its_copy) {
    std::string json = R"([{"@type": "Recipe", "name": "Tea"}, {"@type": "Recipe", "name": "Jam"}])";
    std::vector<std::string> names;
    bool released = false;
    const read_result result = read_recipe_json(
        json, "t.json", [&](found_recipe&& recipe) { names.push_back(recipe.name); },
        [&] {
            released = true;
            json.assign(json.size(), 'x');  // the child must not see this
        });
    EXPECT_TRUE(released);
    EXPECT_EQ(names, (std::vector<std::string>{"Tea", "Jam"}));
    EXPECT_TRUE(result.notes.empty());
}

class streamed_reading_test : public larder_test {};

TEST_F(streamed_reading_test, what_long_json_lists_lose_is_counted_in_the_recipe_and_named_when_it_is_fitted) {
    // The recipe sits in a graph, its lists of texts beyond a thousand
    // items; its older "ingredients" list is not the one read.
    const std::string recipe = R"({"@type": "Recipe", "name": "Long", "recipeIngredient": )" +
                               list_of("\"egg\"", 1'500) + R"(, "ingredients": )" + list_of("\"x\"", 1'100) +
                               R"(, "recipeInstructions": )" + list_of("\"Stir.\"", 1'200) + "}";
    write_whole_file("long.json", R"({"@graph": [)" + recipe + R"(, {"@type": "Recipe", "name": "Short"}]})");
    keeping_sink sink;
    const file_report report = read_recipes_from("long.json", "long.json", sink);
    EXPECT_TRUE(report.recipes);
    ASSERT_EQ(sink.found.size(), 2u);
    EXPECT_EQ(sink.extras[0].ingredients, 500u);
    EXPECT_EQ(sink.extras[0].direction_bytes, 200u * 5);
    EXPECT_EQ(sink.extras[1].ingredients, 0u);
    EXPECT_EQ(sink.extras[1].direction_bytes, 0u);
    const fitted_recipe fitted = fit_recipe(sink.found[0], sink.extras[0]);
    ASSERT_FALSE(fitted.cuts.empty());
    EXPECT_EQ(fitted.cuts.front(), "1,500 ingredients, the first 50 kept");
    // 50 lines, 681 more joined onto the last, 269 kept lines cut and 200 left out.
    EXPECT_EQ(fitted.cuts.back(), "directions cut by 2,345 bytes");
}
