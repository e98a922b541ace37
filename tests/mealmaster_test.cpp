#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/mealmaster.h"
#include "tests/test_support.h"

namespace {

// Every field of a recipe, one a line, so that a mismatch shows where.
std::string shown(const found_recipe& recipe) {
    std::string text = "name: " + recipe.name + "\nauthor: " + recipe.author + "\nsource: " + recipe.source +
                       "\nservings: " + std::to_string(recipe.servings) + "\n";
    for (const std::string& line : recipe.ingredients) text += "ingredient: " + line + "\n";
    for (const std::string& line : recipe.directions) text += "direction: " + line + "\n";
    return text;
}

std::vector<std::string> read_mealmaster_text(const std::string& text) {
    std::vector<std::string> recipes;
    mealmaster_reader reader([&](found_recipe&& found, const left_out&) { recipes.push_back(shown(found)); });
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        reader.add_line(std::string_view(text).substr(start, end - start));
        start = end + 1;
    }
    reader.finish();
    return recipes;
}

}  // namespace

// Text first means no ingredients; a line like an ingredient among the
// directions stays there; text after a dashed end line is no recipe's;
// columns are counted in characters (½, è, Œ before and in the columns);
// a heading then text begins the directions, and so does a "-" at the
// margin; Source/From/Author/Recipe by
// lines fill empty fields and leave the directions.
TEST(mealmaster, ingredient_lines_are_told_by_their_columns) {
    const std::string text = read_whole_file(std::string(LDR_TEST_DATA_DIR) + "/mealmaster/layout.txt");
    EXPECT_EQ(read_mealmaster_text(text),
              (std::vector<std::string>{
                  "name: Stone Soup\nauthor: Old Tom\nsource: The Village Book\nservings: 0\n"
                  "direction: Yield: Makes about 3 1/2 cups\n"
                  "direction: Cook all the ingredients. Posted on Apr 27, 2 c  Water, this line only looks like an "
                  "ingredient\n"
                  "direction: Source: a second source line stays\n",
                  "name: Cr\u00eapes Suzette\nauthor: Anne Dupont\nsource: \nservings: 4\n"
                  "ingredient: \u00bd c Cr\u00e8me fra\u00eeche\ningredient: \u2153 c Sucre vanill\u00e9 beaten\n"
                  "ingredient: 1 ts Salt\ningredient: 2 \u0152ufs at room temperature\n"
                  "ingredient: SAUCE:\ningredient: 1 T Beurre\ningredient: 1-2 lg Oranges; juice\n"
                  "direction: Yield: 4-6 servings\ndirection: 3 tbsp flour, not in the columns\n",
                  "name: Heading before text\nauthor: Someone\nsource: \nservings: 2\n"
                  "ingredient: 1 c Rice\ndirection: - Rinse it well.\ndirection: TO SERVE:\ndirection: Serve hot.\n"}));
}

TEST(mealmaster, only_unit_codes_and_amounts_make_the_columns) {
    const std::string head = "MMMMM----- Meal-Master\n      Title: T\n\n";
    // "zz" is no unit code, "a" no amount, a letter in column 8 or 11 breaks the layout.
    for (const char* line : {"      1 zz Flour", "      a c  Flour", "      1xc  Flour", "      1 c xFlour"}) {
        const std::vector<std::string> recipes = read_mealmaster_text(head + line + "\n");
        ASSERT_EQ(recipes.size(), 1u);
        EXPECT_EQ(recipes[0].find("ingredient:"), std::string::npos) << line;
    }
    const std::vector<std::string> recipes = read_mealmaster_text(head + "      1 kg Flour\n-----\n");
    EXPECT_EQ(recipes, std::vector<std::string>{"name: T\nauthor: \nsource: \nservings: 0\ningredient: 1 kg Flour\n"});
}
