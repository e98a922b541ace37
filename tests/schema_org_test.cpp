#include <gtest/gtest.h>

#include <string>

#include "formats/html_document.h"
#include "formats/schema_org.h"
#include "tests/test_support.h"

namespace {

std::string data_file(const std::string& name) { return read_whole_file(std::string(LDR_TEST_DATA_DIR) + "/schema_org/" + name); }

// Every field of a recipe, one a line, so that a mismatch shows where.
std::string shown(const found_recipe& recipe) {
    std::string text = "name: " + recipe.name + "\nauthor: " + recipe.author + "\nsource: " + recipe.source +
                       "\ndescription: " + recipe.description + "\nservings: " + std::to_string(recipe.servings) + "\n";
    for (const std::string& line : recipe.ingredients) text += "ingredient: " + line + "\n";
    for (const std::string& line : recipe.directions) text += "direction: " + line + "\n";
    return text;
}

std::vector<std::string> shown(const read_result& result) {
    std::vector<std::string> recipes;
    for (const found_recipe& recipe : result.recipes) recipes.push_back(shown(recipe));
    return recipes;
}

}  // namespace

// @graph with a @type list, an author list, a publisher by reference, a
// yield list, sections of steps, entities encoded twice, and the type
// attribute in capitals and entity-encoded.
TEST(schema_org, a_recipe_in_a_graph_comes_out_whole) {
    const read_result result = read_recipe_page(data_file("graph.html"), "graph.html");
    EXPECT_TRUE(result.notes.empty());
    ASSERT_EQ(shown(result), std::vector<std::string>{
        "name: Apple & Pear Crumble\nauthor: Ann Baker, The Test Kitchen\nsource: Example Kitchen\n"
        "description: A warm autumn pudding.\nservings: 12\n"
        "ingredient: 3 apples, peeled\ningredient: 2 pears\ningredient: 1\u00bd cups flour\n"
        "direction: Yield: about 6-8 portions\ndirection: Fruit:\ndirection: Slice the fruit.\ndirection: Lay it in a dish.\n"
        "direction: Topping:\ndirection: Rub the butter into the flour.\ndirection: Bake for 40 minutes.\n"
        "direction: Source: https://www.example.org/crumble\n"});
}

// Two blocks (the second typed in capitals, encoded twice): a full IRI type, instructions as one text (CR alone, CR LF) and
// as an object keyed in order, a QuantitativeValue range, the source from the
// recipe's url and from og:url.
TEST(schema_org, two_recipes_on_a_page_each_come_out) {
    const read_result result = read_recipe_page(data_file("two_recipes.html"), "two_recipes.html");
    EXPECT_TRUE(result.notes.empty());
    ASSERT_EQ(shown(result), (std::vector<std::string>{
        "name: Plain loaf\nauthor: The Mill\nsource: recipes.example.com\ndescription: \nservings: 4\n"
        "ingredient: 500 g flour\ningredient: 10 g salt\ningredient: 7 g yeast\n"
        "direction: Yield: 4-6\ndirection: Mix.\ndirection: Rest an hour.\ndirection: Bake.\n"
        "direction: Source: https://Recipes.Example.com:8080/loaf?x=1\n",
        "name: Soda bread\nauthor: Kate Flour\nsource: www.bakes.example\ndescription: \nservings: 1\n"
        "ingredient: 450 g flour\ningredient: 400 ml buttermilk\n"
        "direction: Stir it together.\ndirection: Shape a round.\ndirection: Cool on a rack.\n"
        "direction: Source: https://www.bakes.example/list\n"}));
}

// Comment and CDATA wrappers, trailing commas, a raw tab and line end, "\'",
// data after the value, a 400-digit yield (no count of servings, so kept as
// text); a block still broken is skipped with a note and the next one read.
TEST(schema_org, json_ld_that_strict_json_rejects_is_mended) {
    const read_result result = read_recipe_page(data_file("lenient.html"), "lenient.html");
    EXPECT_EQ(result.notes, std::vector<std::string>{
        "JSON-LD block 3 could not be read: parse error at line 1, column 29: syntax error while parsing value - "
        "unexpected '}'; expected '[', '{', or a literal."});
    ASSERT_EQ(shown(result), (std::vector<std::string>{
        "name: Granny's flapjack\nauthor: \nsource: \ndescription: \nservings: 0\n"
        "ingredient: 200 g oats\ningredient: 100 g butter\ndirection: Melt the butter.\ndirection: Stir in the oats.\n",
        "name: Huge yield\nauthor: \nsource: \ndescription: \nservings: 0\ningredient: 1 egg\ndirection: Yield: " +
            std::string(400, '9') + "\n",
        "name: After the broken block\nauthor: \nsource: \ndescription: \nservings: 0\n"}));
}

TEST(schema_org, microdata_gives_the_recipe_and_not_its_nested_items) {
    const read_result result = read_recipe_page(data_file("microdata.html"), "microdata.html");
    ASSERT_EQ(shown(result), std::vector<std::string>{
        "name: Victoria sponge\nauthor: Jo Whisk\nsource: cakes.example.net\ndescription: Two layers, jam and cream.\n"
        "servings: 8\ningredient: 4 eggs\ningredient: 225 g caster sugar\ningredient: 225 g self-raising flour\n"
        "direction: Beat the eggs with the sugar.\ndirection: Fold in the flour.\n"
        "direction: Source: https://cakes.example.net/sponge\n"});
}

TEST(schema_org, pages_in_other_character_sets_are_read_as_utf8) {
    const read_result latin = read_recipe_page(data_file("latin1.html"), "latin1.html");
    ASSERT_EQ(shown(latin), std::vector<std::string>{
        "name: Cr\u00e8me br\u00fbl\u00e9e\nauthor: Ren\u00e9e\nsource: \ndescription: \nservings: 6\n"
        "ingredient: \u00bd l cr\u00e8me\ningredient: 5 jaunes d'\u0153uf\ndirection: Cuire \u00e0 150 \u00b0C.\n"});
    // No declaration: UTF-8 stays, a stray byte is read as Windows-1252.
    const read_result mixed = read_recipe_page(
        "<script type=\"application/ld+json\">{\"@type\":\"Recipe\",\"name\":\"Caf\xc3\xa9 \x93ol\xe9\x94\"}</script>", "m");
    ASSERT_EQ(mixed.recipes.size(), 1u);
    EXPECT_EQ(mixed.recipes[0].name, "Caf\u00e9 \u201col\u00e9\u201d");
}

// An ItemList, mainEntity, and @graph as an object; "ingredients" as one
// text; nested lists of steps; a step holding itemListElement.
TEST(schema_org, a_json_file_gives_every_recipe_in_it) {
    const read_result result = read_recipe_json(data_file("recipes.json"), "recipes.json");
    EXPECT_TRUE(result.notes.empty());
    ASSERT_EQ(shown(result), (std::vector<std::string>{
        "name: Pea soup\nauthor: \nsource: Green Pages\ndescription: \nservings: 0\n"
        "ingredient: 500 g peas\ningredient: 1 onion\n"
        "direction: Yield: 4.5 bowls\ndirection: Soften the onion.\ndirection: Add the peas.\ndirection: Blend.\n"
        "direction: Source: https://soup.example.com/pea\n",
        "name: Toast\nauthor: \nsource: \ndescription: \nservings: 2\ningredient: 2 slices bread\n"
        "direction: Toast the bread.\ndirection: Watch it.\n",
        "name: Jam\nauthor: \nsource: \ndescription: \nservings: 0\ndirection: Yield: none\n"}));
}

// A recipe that names no source has none: a file's name would fill Search
// by Source with file names and hide a renamed copy from the duplicate check.
TEST(schema_org, a_file_name_never_becomes_the_source) {
    const read_result result = read_recipe_json(R"({"@type": "Recipe", "name": "Tea"})", "caf\xe9.json");
    ASSERT_EQ(result.recipes.size(), 1u);
    EXPECT_EQ(result.recipes[0].source, "");
}

TEST(schema_org, hostile_nesting_and_size_give_a_note_and_never_a_crash) {
    const std::string recipe = R"(<script type="application/ld+json">{"@type":"Recipe","name":"Deep"}</script>)";
    const std::string deep_json = std::string(10000, '[') + std::string(10000, ']');
    EXPECT_EQ(read_recipe_json(deep_json, "deep.json").notes,
              std::vector<std::string>{"The file could not be read as JSON: nested more than 200 deep."});
    // One value too large to hold; an array of many small recipes is read item
    // by item instead, each dropped once mapped.
    std::string many = "{\"@type\":\"Recipe\",\"recipeIngredient\":[{}";
    for (int i = 0; i < 4000000; ++i) many += ",{}";
    EXPECT_EQ(read_recipe_json(many + "]}", "many.json").notes,
              std::vector<std::string>{"The file could not be read as JSON: holds more than 750000 values."});
    // Blocks that refer to each other share what may be held: once a block
    // has used it up, one note stands for the blocks after it.
    std::string referring = "[{\"@id\":\"#a\"}";
    for (int i = 0; i < 750000; ++i) referring += ",1";
    const std::string block = "<script type=\"application/ld+json\">";
    EXPECT_EQ(read_recipe_page(block + referring + "]</script>" + recipe + recipe, "many.html").notes,
              (std::vector<std::string>{"JSON-LD block 1 could not be read: holds more than 750000 values.",
                                        "JSON-LD blocks 2 to 3 were not read: the blocks before them hold as many "
                                        "values as a page may."}));
    const read_result deep_block = read_recipe_page(
        "<script type=\"application/ld+json\">" + deep_json + "</script>" + recipe, "deep.html");
    EXPECT_EQ(deep_block.notes, std::vector<std::string>{"JSON-LD block 1 could not be read: nested more than 200 deep."});
    EXPECT_EQ(deep_block.recipes.size(), 1u);

    // Four thousand deep is read; deeper, of every kind, the parser stops
    // at once, with a note.
    std::string divs;
    for (int i = 0; i < 4000; ++i) divs += "<div>";
    const read_result deep_page = read_recipe_page(divs + recipe, "deep.html");
    ASSERT_EQ(deep_page.recipes.size(), 1u);
    EXPECT_EQ(deep_page.recipes[0].name, "Deep");
    for (const char* tag : {"<div>", "<b>", "<span>", "<svg><g>", "<math>", "<template>", "<table><td>", "<b><i>"}) {
        std::string page;
        for (int i = 0; i < 100000; ++i) page += tag;
        EXPECT_EQ(read_recipe_page(page + recipe, "deep.html").notes,
                  std::vector<std::string>{"The page is nested too deeply to read."}) << tag;
    }
}

namespace {

// ASCII text as UTF-16 LE with its byte order mark; "\x01" stands for "è".
std::string utf16le(std::string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char c : text) {
        bytes += c == '\x01' ? '\xE8' : c;
        bytes += '\0';
    }
    return bytes;
}

}  // namespace

TEST(schema_org, utf16_pages_and_files_and_a_script_type_with_parameters_are_read) {
    const read_result page = read_recipe_page(
        utf16le("<html><script type=\"application/ld+json; charset=utf-8\">{\"@type\": \"Recipe\", \"name\": \"Cr\x01me\"}"
                "</script></html>"),
        "page.html");
    ASSERT_EQ(page.recipes.size(), 1u);
    EXPECT_EQ(page.recipes[0].name, "Cr\u00e8me");
    const read_result file = read_recipe_json(utf16le("{\"@type\": \"Recipe\", \"name\": \"Cr\x01pe\"}"), "f.json");
    ASSERT_EQ(file.recipes.size(), 1u);
    EXPECT_EQ(file.recipes[0].name, "Cr\u00e8pe");
}

// Where the parser's tree differs from a browser's on misnested markup: an
// end tag that cannot close the open element is ignored, so the item goes
// on past it; and a textarea's contents are markup, so properties in it count.
TEST(schema_org, microdata_in_misnested_markup_reads_as_the_parser_nests_it) {
    const read_result result = read_recipe_page(
        "<html><body><div itemscope itemtype=\"https://schema.org/Recipe\"><span itemprop=\"name\">Stew</span>"
        "<table><tr><td><span itemprop=\"recipeIngredient\">1 onion</div></td></tr></table>"
        "<textarea><b itemprop=\"recipeIngredient\">2 carrots</b></textarea></div>"
        "<p itemprop=\"recipeIngredient\">outside</p></body></html>",
        "m.html");
    ASSERT_EQ(shown(result), std::vector<std::string>{
        "name: Stew\nauthor: \nsource: \ndescription: \nservings: 0\n"
        "ingredient: 1 onion\ningredient: 2 carrots\n"});
}
