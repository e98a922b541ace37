#include <gtest/gtest.h>

#include "formats/lenient_json.h"
#include "formats/schema_org.h"

namespace {

std::string list_of(const std::string& item, size_t count) {
    std::string text = "[";
    for (size_t i = 0; i < count; ++i) text += (i > 0 ? "," : "") + item;
    return text + "]";
}

}  // namespace

TEST(lenient_json_lists, a_list_of_texts_keeps_its_first_thousand_items_and_counts_the_rest) {
    // After the limit, items of any kind are skipped whole, strings with
    // brackets, quotes and commas in them too; the value after goes on.
    const std::string texts = list_of("\"a\"", 1000);
    const std::string tail = R"(,"b [x\" ,]", {"c": ["d", "]"]}, [1, 2], 3, true)";
    lenient_json parsed = parse_lenient_json(R"({"i": )" + texts.substr(0, texts.size() - 1) + tail + R"(], "n": "x"})");
    ASSERT_EQ(parsed.failure, "");
    ASSERT_EQ(parsed.values.size(), 1u);
    EXPECT_EQ(parsed.values[0]["i"], nlohmann::json(std::vector<std::string>(1000, "a")));
    EXPECT_EQ(parsed.values[0]["n"], "x");
    EXPECT_EQ(parsed.dropped, 5u);

    // Lists of objects, and lists of texts within the limit, stay whole.
    lenient_json objects = parse_lenient_json(list_of(R"({"t": ["a", "b"]})", 3000));
    ASSERT_EQ(objects.values.size(), 1u) << objects.failure;
    EXPECT_EQ(objects.values[0].size(), 3000u);
    EXPECT_EQ(objects.dropped, 0u);
    lenient_json at_limit = parse_lenient_json(list_of("7", 1000));
    ASSERT_EQ(at_limit.values.size(), 1u);
    EXPECT_EQ(at_limit.values[0].size(), 1000u);
    EXPECT_EQ(at_limit.dropped, 0u);
}

TEST(lenient_json_lists, a_recipe_of_millions_of_ingredients_is_read_as_one_that_can_be_stored_with_a_note) {
    const std::string json = R"({"@type": "Recipe", "name": "Many", "recipeIngredient": )" + list_of("\"a\"", 200'000) +
                             R"(, "recipeInstructions": "Mix."})";
    read_result result = read_recipe_json(json, "many.json");
    ASSERT_EQ(result.recipes.size(), 1u);
    EXPECT_EQ(result.recipes[0].ingredients.size(), 1000u);
    EXPECT_EQ(result.recipes[0].directions, std::vector<std::string>{"Mix."});
    EXPECT_EQ(result.notes, std::vector<std::string>{"199,000 items of lists longer than 1,000 were left out."});
}

TEST(lenient_json_lists, the_items_of_a_top_array_are_handed_on_one_at_a_time) {
    std::vector<std::string> taken;
    lenient_json read = read_lenient_json_each(R"(<!-- [{"a": 1,}, "b", [2],] {"c": 3} [{"d": 4}, {"e": )",
                                               [&](nlohmann::json&& value) { taken.push_back(value.dump()); });
    EXPECT_EQ(taken, (std::vector<std::string>{R"({"a":1})", R"("b")", "[2]", R"({"c":3})", R"({"d":4})"}));
    EXPECT_TRUE(read.values.empty());
    EXPECT_NE(read.failure, "");  // the last item is cut short
}

TEST(lenient_json_lists, a_json_file_refers_across_its_items_by_id_and_streams_without_ids) {
    const std::string person = R"({"@type": "Person", "@id": "#ann", "name": "Ann"})";
    const std::string tea = R"({"@type": "Recipe", "name": "Tea", "author": {"@id": "#ann"}})";
    const read_result referring = read_recipe_json("[" + tea + "," + person + "]", "tea.json");
    ASSERT_EQ(referring.recipes.size(), 1u);
    EXPECT_EQ(referring.recipes[0].author, "Ann");

    const read_result plain = read_recipe_json(
        R"([{"@type": "Recipe", "name": "Tea", "author": "Bo"}, {"@type": "Recipe", "name": "Jam"}, {"x": [)", "j.json");
    ASSERT_EQ(plain.recipes.size(), 2u);
    EXPECT_EQ(plain.recipes[0].author, "Bo");
    EXPECT_EQ(plain.recipes[1].name, "Jam");
    EXPECT_EQ(plain.notes.size(), 1u);  // the broken end, after the recipes read
}
