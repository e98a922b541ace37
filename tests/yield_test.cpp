#include <gtest/gtest.h>

#include "formats/schema_org.h"
#include "formats/yield.h"

namespace {

struct yield_case {
    const char* yield;
    int servings;
    const char* kept;  // the direction line it leaves, or null
};

TEST(Yield, CountsOnlyServingsAndKeepsWhatSaysMore) {
    const yield_case cases[] = {
        {"4", 4, nullptr},
        {" 12 ", 12, nullptr},
        {"4 servings", 4, nullptr},
        {"Serves 6", 6, nullptr},
        {"SERVINGS: 3", 3, nullptr},
        {"2 Portionen", 2, nullptr},
        {"4 serving(s)", 4, nullptr},
        {"8 people", 8, nullptr},
        {"4-6", 4, "Yield: 4-6"},
        {"4-6 servings", 4, "Yield: 4-6 servings"},
        {"Serves 4 to 6", 4, "Yield: Serves 4 to 6"},
        {"Makes about 3 1/2 cups", 0, "Yield: Makes about 3 1/2 cups"},
        {"2 tarts (8 servings each)", 0, "Yield: 2 tarts (8 servings each)"},
        {"Makes 1 large or 2 small", 0, "Yield: Makes 1 large or 2 small"},
        {"2 Loaves", 0, "Yield: 2 Loaves"},
        {"4 servings extra", 0, "Yield: 4 servings extra"},
        {"servings", 0, "Yield: servings"},
        {"9999999", 0, "Yield: 9999999"},
    };
    for (const yield_case& c : cases) {
        found_recipe recipe;
        recipe.directions = {"Cook."};
        apply_yield(recipe, c.yield);
        EXPECT_EQ(recipe.servings, c.servings) << c.yield;
        if (c.kept) {
            ASSERT_EQ(recipe.directions.size(), 2u) << c.yield;
            EXPECT_EQ(recipe.directions[0], c.kept);
        } else {
            EXPECT_EQ(recipe.directions.size(), 1u) << c.yield;
        }
    }
}

TEST(Yield, LeavesGivenServingsWhenTheTextHoldsNoCountAndIgnoresAnEmptyText) {
    found_recipe recipe;
    recipe.servings = 2;
    apply_yield(recipe, "  ");
    EXPECT_EQ(recipe.servings, 2);
    EXPECT_TRUE(recipe.directions.empty());
    apply_yield(recipe, "1 loaf");
    EXPECT_EQ(recipe.servings, 2);
    EXPECT_EQ(recipe.directions, std::vector<std::string>{"Yield: 1 loaf"});
}

}  // namespace

// The count comes from the first entry that holds one; every other text is
// kept. An empty or blank recipeIngredient hides no older "ingredients".
TEST(schema_yields, every_shape_of_a_yield_keeps_its_words) {
    const read_result result = read_recipe_json(R"js([
        {"@type": "Recipe", "name": "a", "recipeYield": {"@type": "QuantitativeValue", "value": 4, "unitText": "servings"}},
        {"@type": "Recipe", "name": "b", "recipeYield": ["4", "4 servings"]},
        {"@type": "Recipe", "name": "c", "recipeYield": ["6", "1 cake"], "recipeInstructions": "Bake.",
         "recipeIngredient": [], "ingredients": ["2 eggs"]},
        {"@type": "Recipe", "name": "d", "recipeYield": "2 tarts (8 servings each)", "recipeIngredient": "",
         "ingredients": "1 tart tin"},
        {"@type": "Recipe", "name": "e", "recipeYield": ["4 servings", 2, "1 loaf", "about 4 cups"]}])js",
                                                "y.json");
    std::vector<std::string> seen;
    for (const found_recipe& r : result.recipes) {
        std::string line = r.name + "|" + std::to_string(r.servings);
        for (const std::string& item : r.ingredients) line += "|" + item;
        for (const std::string& step : r.directions) line += "|" + step;
        seen.push_back(line);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"a|4", "b|4", "c|6|2 eggs|Yield: 1 cake|Bake.",
                                              "d|0|1 tart tin|Yield: 2 tarts (8 servings each)",
                                              "e|4|Yield: 1 loaf|Yield: about 4 cups"}));
}
