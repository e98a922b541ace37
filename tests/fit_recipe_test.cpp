#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/fit_recipe.h"

TEST(fit_recipe, exactly_fifty_ingredients_are_no_cut) {
    found_recipe full;
    full.name = "Full";
    for (int i = 1; i <= 50; ++i) full.ingredients.push_back("item " + std::to_string(i));
    EXPECT_TRUE(fit_recipe(full).cuts.empty());
    full.ingredients.push_back("one more");
    EXPECT_EQ(fit_recipe(full).cuts, std::vector<std::string>{"51 ingredients, the first 50 kept"});
}
