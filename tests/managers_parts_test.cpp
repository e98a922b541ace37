#include <gtest/gtest.h>

#include <string>

#include "formats/chowdown.h"
#include "formats/cooklang.h"
#include "formats/csv_exports.h"
#include "formats/export_fields.h"
#include "formats/web_address.h"
#include "formats/gourmet.h"
#include "formats/krecipes.h"
#include "formats/my_cookbook.h"
#include "formats/mastercook.h"
#include "formats/rezkonv.h"
#include "formats/xml_document.h"

namespace {

// Every field of each recipe, one a line, so that a mismatch shows where.
std::vector<std::string> shown(const read_result& result) {
    std::vector<std::string> recipes;
    for (const found_recipe& recipe : result.recipes) {
        std::string text = "name: " + recipe.name + "\nauthor: " + recipe.author + "\nsource: " + recipe.source +
                           "\ndescription: " + recipe.description + "\nservings: " + std::to_string(recipe.servings) +
                           "\n";
        for (const std::string& line : recipe.ingredients) text += "ingredient: " + line + "\n";
        for (const std::string& line : recipe.directions) text += "direction: " + line + "\n";
        recipes.push_back(text);
    }
    return recipes;
}

}  // namespace

TEST(export_fields, amounts_units_and_foods_join_without_empty_or_zero_parts) {
    EXPECT_EQ(join_ingredient("1", "cup", "rice"), "1 cup rice");
    EXPECT_EQ(join_ingredient(" 0 ", "", "salt"), "salt");
    EXPECT_EQ(join_ingredient("0.0", "g", "pepper"), "g pepper");
    EXPECT_EQ(join_ingredient("10", "\t", " eggs\n"), "10 eggs");
    EXPECT_EQ(join_ingredient("", "", ""), "");
    EXPECT_EQ(heading_line(" Topping "), "Topping:");
    EXPECT_EQ(heading_line("Sauce:"), "Sauce:");
    EXPECT_EQ(heading_line("  "), "");
}

TEST(export_fields, the_source_is_the_text_else_the_host_and_the_address_is_kept) {
    EXPECT_EQ(host_of_url("https://user@Www.Example.COM:8080/a?b#c"), "www.example.com");
    EXPECT_EQ(absolute_url("ftp://example.com/x"), "");
    EXPECT_EQ(absolute_url("Grandma"), "");
    found_recipe both;
    set_source(both, "Aunt May", "https://pies.example/apple");
    EXPECT_EQ(both.source, "Aunt May");
    EXPECT_EQ(both.directions, std::vector<std::string>{"Source: https://pies.example/apple"});
    // An address in the source field itself.
    found_recipe in_text;
    set_source(in_text, "http://old.example.net/page", "");
    EXPECT_EQ(in_text.source, "old.example.net");
    EXPECT_EQ(in_text.directions, std::vector<std::string>{"Source: http://old.example.net/page"});
    found_recipe none;
    set_source(none, "", "");
    EXPECT_EQ(none.source, "");
    EXPECT_TRUE(none.directions.empty());
}

TEST(xml_document, the_root_is_named_past_declarations_comments_and_doctypes) {
    EXPECT_EQ(xml_root_name("<?xml version=\"1.0\"?>\n<!-- a > b -->\n<!DOCTYPE x [ <!ENTITY a \"b\"> ]>\n<krecipes v=\"1\">"),
              "krecipes");
    EXPECT_EQ(xml_root_name("<!DOCTYPE mx2 SYSTEM \"mx2.dtd\"><mx2>"), "mx2");
    EXPECT_EQ(xml_root_name("  <cookbook/>"), "cookbook");
    EXPECT_EQ(xml_root_name("text <b>"), "");
    EXPECT_EQ(xml_root_name("<?xml version=\"1.0\""), "");
}

TEST(chowdown, front_matter_ends_at_a_line_of_its_own) {
    front_matter parts = split_front_matter("---\r\ntitle: a --- b\r\n---\r\nbody\n");
    EXPECT_TRUE(parts.found);
    EXPECT_EQ(parts.yaml, "title: a --- b\r\n");
    EXPECT_EQ(parts.body, "body\n");
    EXPECT_EQ(split_front_matter("---\ntitle: a\n...\n").body, "");
    EXPECT_FALSE(split_front_matter("---\ntitle: never closed\n").found);
    EXPECT_FALSE(split_front_matter("title: a\n---\n").found);
    EXPECT_EQ(markdown_to_plain("# Title\n\n* **bold** and _it_ and snake_case\n- [a link](http://x.example) "
                                "![pic](p.jpg)\n> quoted `code`"),
              "Title\nbold and it and snake_case\na link pic\nquoted code");
}

TEST(chowdown, broken_yaml_is_a_note_not_a_recipe) {
    const read_result result = read_chowdown("---\nlayout: recipe\ningredients: [unclosed\n---\n", "x.md");
    EXPECT_TRUE(result.recipes.empty());
    ASSERT_EQ(result.notes.size(), 1u);
    EXPECT_TRUE(result.notes[0].starts_with("The front matter could not be read: ")) << result.notes[0];
}

// Names of one word and of several, a food named again with and without a
// quantity, a fixed quantity, marks that are no markup, comments anywhere.
TEST(cooklang, ingredients_come_from_the_markup_in_order) {
    const read_result result = read_cooklang(
        "---\ntitle: Pancakes\nauthor: Bea\nservings: 4\n---\n"
        "Whisk @plain flour{125%g}, @eggs{2} and @milk{=300%ml} in a #large bowl{}.\n"
        "Mail me@home later. -- a comment\n\n"
        "Fry in @butter, then more @butter and @eggs{1}[- not\nthis -] in ~{2%minutes}.\n"
        "Finish with @lemon juice{} and @sugar{ }.\n",
        "ignored.cook");
    ASSERT_EQ(shown(result), std::vector<std::string>{
        "name: Pancakes\nauthor: Bea\nsource: \ndescription: \nservings: 4\n"
        "ingredient: 125 g plain flour\ningredient: 2 eggs\ningredient: 300 ml milk\ningredient: home\n"
        "ingredient: butter\ningredient: 1 eggs\ningredient: lemon juice\ningredient: sugar\n"
        "direction: Whisk plain flour, eggs and milk in a large bowl. Mail mehome later.\n"
        "direction: Fry in butter, then more butter and eggs in 2 minutes. Finish with lemon juice and sugar.\n"});
}

TEST(cooklang, the_title_falls_back_to_the_file_name_and_odd_markup_stays_text) {
    const read_result result = read_cooklang("\xEF\xBB\xBFMix @{2} and @salt{1%tsp and @ alone.\n", "Odd One.cook");
    ASSERT_EQ(result.recipes.size(), 1u);
    EXPECT_EQ(result.recipes[0].name, "Odd One");
    EXPECT_EQ(result.recipes[0].ingredients, (std::vector<std::string>{"2", "salt"}));
    EXPECT_EQ(result.recipes[0].directions, std::vector<std::string>{"Mix  and salt{1%tsp and @ alone."});
    // Text that merely holds an @ is no Cooklang.
    EXPECT_FALSE(is_cooklang("write to ann@example.com {soon}", "notes.txt"));
    EXPECT_TRUE(is_cooklang("Add @salt{1%tsp}.", "notes.txt"));
    EXPECT_FALSE(is_cooklang("see @ann{\n}", "notes.txt"));
    EXPECT_FALSE(is_cooklang(">> Title: a quoted mail\n>> source: me\n", "mail.txt"));
    // Nor is a page or JSON with a style rule in it.
    EXPECT_FALSE(is_cooklang("<html><style>@media print{body{}}</style>", "page.htm"));
    EXPECT_FALSE(is_cooklang("{\"css\": \"@media print{}\"}", "x.json"));
}

// Columns from the dashes (here two to the right), a unit wider than its
// column, a wrapped item, a recipe that the file cuts off.
TEST(mastercook, text_rows_are_read_by_the_columns_the_dashes_give) {
    const read_result result = read_mastercook_text(
        "*  Exported from  MasterCook  *\n\n   Soup\n\nRecipe By     : Cy\nServing Size  : 0     Preparation Time :0:10\n\n"
        "    Amount  Measure       Ingredient -- Preparation Method\n"
        "  --------  ------------  --------------------------------\n"
        "     1 1/2  cups          stock\n"
        "            tablespoon    a very long ingredient name that\n"
        "                          wraps\n"
        "                          pepper\n"
        "                          * Garnish *\n"
        "\nHeat.\n\n   Serve.\nYield:\n  \"2 bowls\"\nS(Web Page):\n  \"not an address\"\n",
        "soup.mxp");
    ASSERT_EQ(shown(result), std::vector<std::string>{
        "name: Soup\nauthor: Cy\nsource: \ndescription: \nservings: 0\n"
        "ingredient: 1 1/2 cups stock\ningredient: tablespoon a very long ingredient name that wraps\n"
        "ingredient: pepper\ningredient: Garnish:\n"
        "direction: Yield: 2 bowls\ndirection: Heat.\ndirection: Serve.\ndirection: Web Page: not an address\n"});
}

TEST(mastercook, xml_items_join_only_as_the_text_shows_them) {
    const read_result result = read_mastercook_xml(
        "\xEF\xBB\xBF<?xml version=\"1.0\" standalone=\"yes\" encoding=\"UTF-8\"?><mx2><RcpE name=\"Caf\xC3\xA9\">"
        "<Serv qty=\"3\"/><IngR name=\"= (or nothing)\"/><IngR name=\"oats\" qty=\"1\" unit=\"cup\"/>"
        "<IngR name=\"milk\"/><IngR name=\"=== END\"/><Yield qty=\"3\" unit=\"servings\"/></RcpE></mx2>",
        "x.mx2");
    // No text to show a wrap: "milk" stays an item; an alternative with
    // nothing before it is an item too.
    ASSERT_EQ(shown(result), std::vector<std::string>{
        "name: Caf\u00e9\nauthor: \nsource: \ndescription: \nservings: 3\n"
        "ingredient: = (or nothing)\ningredient: 1 cup oats\ningredient: milk\ningredient: END:\n"});
}

// A unit wider than its column, MealMaster's names and end line, the
// source block, a recipe the file cuts off.
TEST(rezkonv, columns_names_and_blocks) {
    const read_result result = read_rezkonv(
        "MMMMM----- REZKONV-Rezept\n Title: Brot\n Categories: Backen\n Yield: 1 Laib\n\n"
        "    500 g         Mehl\n      1 Messerspitze Salz\n                  ; fein\n\n"
        "========== Quelle ==========\n   Backbuch\n   Seite 3\n\nKneten.\nMMMMM\n"
        "Text between recipes.\n"
        "=====REZKONV=====\nTitel: Rest\n\n      2 El        \xD6l\n",
        "brot.txt");
    ASSERT_EQ(shown(result), (std::vector<std::string>{
        "name: Brot\nauthor: \nsource: Backbuch, Seite 3\ndescription: \nservings: 0\n"
        "ingredient: 500 g Mehl\ningredient: 1 Messerspitze Salz fein\n"
        "direction: Yield: 1 Laib\ndirection: Kneten.\n",
        "name: Rest\nauthor: \nsource: \ndescription: \nservings: 0\ningredient: 2 El \u00d6l\n"}));
}

TEST(csv_exports, columns_are_found_by_name_and_short_rows_read) {
    const read_result plan = read_plan_to_eat(
        "Title,Ingredients,Directions,Servings,Yield\nStew,\", Base\n1 onion\",\"Fry.\nSimmer.\",6,6 bowls\nShort\n",
        "p.csv");
    ASSERT_EQ(shown(plan), (std::vector<std::string>{
        "name: Stew\nauthor: \nsource: \ndescription: \nservings: 6\ningredient: Base:\ningredient: 1 onion\n"
        "direction: Yield: 6 bowls\ndirection: Fry.\ndirection: Simmer.\n",
        "name: Short\nauthor: \nsource: \ndescription: \nservings: 0\n"}));
    EXPECT_TRUE(is_plan_to_eat("Title,Course,Ingredients,Directions\r\n", "x.csv"));
    EXPECT_FALSE(is_plan_to_eat("Title,Notes\nIngredients,Directions\n", "x.csv"));
    EXPECT_TRUE(is_my_recipe_box("title,description,preparationTime,cookingTime,inactiveTime,totalTime,quantity,"
                                 "ingredients,instructions,notes,nutrition,favorite,rating,categories,tags,video,"
                                 "source,originalPicture,\r\n", "x.csv"));
}

TEST(gourmet, old_documents_references_and_markup_twice_escaped) {
    const read_result result = read_gourmet(
        "<recipeDoc><recipe><title> &amp;lt;b&amp;gt;Tart </title><yields>4</yields><ingredient-list>"
        "<ingref refid=\"9\">Pastry</ingref><inggroup><groupname> </groupname><ingredient><item>jam</item>"
        "</ingredient></inggroup></ingredient-list><instructions>\n\t&amp;lt;u&amp;gt;Bake&amp;lt;/u&amp;gt; "
        "&amp;amp;amp; cool.\n\t\n\tServe &lt; 1 hour.</instructions></recipe><recipe/></recipeDoc>",
        "x.grmt");
    ASSERT_EQ(shown(result), (std::vector<std::string>{
        "name: <b>Tart\nauthor: \nsource: \ndescription: \nservings: 4\ningredient: Pastry\ningredient: jam\n"
        "direction: Bake & cool.\ndirection: Serve < 1 hour.\n",
        "name: \nauthor: \nsource: \ndescription: \nservings: 0\n"}));
    EXPECT_TRUE(read_gourmet("", "x.grmt").recipes.empty());
}

TEST(krecipes, groups_nest_and_authors_join) {
    const read_result result = read_krecipes(
        "<krecipes><krecipes-recipe><krecipes-description><title>Pie</title><author> </author><author>Di</author>"
        "<serving>4-6</serving></krecipes-description><krecipes-ingredients><ingredient-group name=\"Crust\">"
        "<ingredient-group name=\"Inner\"><ingredient><name>flour</name><amount>200</amount><unit>g</unit>"
        "</ingredient></ingredient-group></ingredient-group></krecipes-ingredients>"
        "<krecipes-instructions>Roll.\r\nBake.</krecipes-instructions></krecipes-recipe></krecipes>",
        "x.kreml");
    ASSERT_EQ(shown(result), std::vector<std::string>{
        "name: Pie\nauthor: Di\nsource: \ndescription: \nservings: 4\ningredient: Crust:\ningredient: Inner:\n"
        "ingredient: 200 g flour\ndirection: Yield: 4-6\ndirection: Roll.\ndirection: Bake.\n"});
}

TEST(my_cookbook, plain_text_fields_and_the_servings_field) {
    const read_result result = read_my_cookbook(
        "<cookbook version=\"66\"><recipe><title>Dal</title><serving>3</serving><description><li>Spiced.</li>"
        "<li>Filling.</li></description><ingredient>1 cup lentils\n2 cups water</ingredient>"
        "<recipetext>Boil.\nSimmer.</recipetext><url>notes only</url></recipe></cookbook>",
        "x.xml");
    ASSERT_EQ(shown(result), std::vector<std::string>{
        "name: Dal\nauthor: \nsource: \ndescription: Spiced. Filling.\nservings: 3\n"
        "ingredient: 1 cup lentils\ningredient: 2 cups water\ndirection: Boil.\ndirection: Simmer.\n"
        "direction: Source: notes only\n"});
}

TEST(chowdown, lists_or_texts_and_a_missing_title) {
    const read_result result = read_chowdown(
        "---\nlayout: recipe\ningredients: |\n  1 egg\n  salt\ndirections:\n- Beat.\n- {step: nested}\n- 2\n"
        "source: Nan\n---\n",
        "x.md");
    ASSERT_EQ(shown(result), std::vector<std::string>{
        "name: \nauthor: \nsource: Nan\ndescription: \nservings: 0\ningredient: 1 egg\ningredient: salt\n"
        "direction: Beat.\ndirection: 2\n"});
    EXPECT_TRUE(read_chowdown("---\n- a list\n---\n", "x.md").recipes.empty());
}

// A line under 45 characters ends its paragraph; a heading among the
// directions is a title line; a new recipe line ends one without an end.
TEST(rezkonv, paragraphs_and_recipes_without_an_end_line) {
    const std::string long_line = "Alles gut verruehren und eine Stunde lang ruhen lassen, dann";
    const read_result result = read_rezkonv(
        "=====REZKONV=====\nTitel: Teig\n\n      1 Ei\n\n" + long_line + "\nbacken.\nAbkuehlen.\n\n"
        "======== TIPP ========\nMit Zucker.\n=====RezKonv=====\nTitel: Zwei\n",
        "x.txt");
    ASSERT_EQ(shown(result), (std::vector<std::string>{
        "name: Teig\nauthor: \nsource: \ndescription: \nservings: 0\ningredient: 1 Ei\n"
        "direction: " + long_line + " backen.\ndirection: Abkuehlen.\ndirection: TIPP:\ndirection: Mit Zucker.\n",
        "name: Zwei\nauthor: \nsource: \ndescription: \nservings: 0\n"}));
}

TEST(mastercook, recipes_follow_each_other_without_end_lines) {
    const read_result result = read_mastercook_text(
        "junk before\n* Exported from MasterCook *\n\nOne\n\nAmount  Measure       Ingredient\n"
        "--------  ------------  --------------------------------\n  1       cup           tea\n\nSteep.\n"
        "Source:\n\n  \"The Tea Room\"\n* Exported from MasterCook *\n\nTwo\n",
        "x.mxp");
    ASSERT_EQ(shown(result), (std::vector<std::string>{
        "name: One\nauthor: \nsource: The Tea Room\ndescription: \nservings: 0\ningredient: 1 cup tea\n"
        "direction: Steep.\n",
        "name: Two\nauthor: \nsource: \ndescription: \nservings: 0\n"}));
}
