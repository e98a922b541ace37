#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/fit_recipe.h"
#include "formats/mealmaster.h"
#include "formats/schema_org.h"
#include "import_recipes/file_kind.h"
#include "storage/fold.h"
#include "storage/recipe.h"
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

TEST(recipe_file_names, are_ascii_with_accents_reduced_and_other_characters_left_out) {
    EXPECT_EQ(recipe_file_name_part("Schinken-K\xe4se Waffeln"), "Schinken-Kase Waffeln");
    EXPECT_EQ(recipe_file_name_part("Stra\xdf" "e \xc6sop \x8c" "uf \xe7\xf1\xd8\xff"), "Strasse AEsop OEuf cnOy");
    EXPECT_EQ(recipe_file_name_part("\x80" "5 \xa9 Caf\xe9\x99 a/b"), "5  Cafe a_b");
    EXPECT_EQ(recipe_file_name_part("\xc9" "clair"), "Eclair");
    EXPECT_EQ(recipe_file_name_part("\x96" "dash"), "dash");
    EXPECT_EQ(recipe_file_name_part(".\xe9"), "_e");
    // Two letters for one byte still keep the part within 200 bytes.
    EXPECT_EQ(recipe_file_name_part(std::string(150, '\xdf')), std::string(200, 's'));
}

TEST(recipe_file_names, duplicates_compare_names_folded_with_blanks_collapsed) {
    EXPECT_EQ(name_for_comparing("  cr\xe8me   Br\xfbl\xe9" "e\t "), "CR\xc8ME BR\xdbL\xc9" "E");
    EXPECT_EQ(name_for_comparing(""), "");
}

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

TEST(fit_recipe, exactly_fifty_ingredients_are_no_cut) {
    found_recipe full;
    full.name = "Full";
    for (int i = 1; i <= 50; ++i) full.ingredients.push_back("item " + std::to_string(i));
    EXPECT_TRUE(fit_recipe(full).cuts.empty());
    full.ingredients.push_back("one more");
    EXPECT_EQ(fit_recipe(full).cuts, std::vector<std::string>{"51 ingredients, the first 50 kept"});
}

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
