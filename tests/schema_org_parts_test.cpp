#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "formats/charset.h"
#include "formats/clean_text.h"
#include "shell/isolated.h"
#include "formats/lenient_json.h"
#include "formats/schema_org.h"

TEST(schema_org_parts, a_child_that_hangs_or_fails_gives_a_reason_and_a_long_result_arrives_whole) {
    EXPECT_EQ(run_isolated([] { for (std::atomic<unsigned> spins = 0;; spins.fetch_add(1)) {} return std::string(); }, 1).failure,
              "it takes more than 1 seconds to read");
    EXPECT_EQ(run_isolated([] { std::abort(); return std::string(); }, 5).failure, "the reader stopped on it");
    std::string bytes(3 << 20, 'x');  // far more than a pipe holds
    bytes[12345] = '\0';
    const isolated_run run = run_isolated([&] { return bytes; }, 5);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.output, bytes);
}

TEST(schema_org_parts, lenient_json_mends_what_pages_write_and_reports_what_it_cannot) {
    const lenient_json two = parse_lenient_json("/*<![CDATA[*/ {\"a\": [1, 2,],} ; [\"b\\'c\", 1e400] /*]]>*/");
    EXPECT_EQ(two.failure, "");
    ASSERT_EQ(two.values.size(), 2u);
    EXPECT_EQ(two.values[0].dump(), R"({"a":[1,2]})");
    EXPECT_EQ(two.values[1].dump(), R"(["b'c","1e400"])");
    EXPECT_EQ(parse_lenient_json("[\"tab\there\", \"\\u00e9\\n\"] trailing words").values.at(0).dump(),
              "[\"tab\\there\",\"\u00e9\\n\"]");
    EXPECT_EQ(parse_lenient_json("[1, 2, 3, 4]", 2).failure, "holds more than 2 values");
    EXPECT_EQ(parse_lenient_json("var recipe = {}").failure,
              "parse error at line 1, column 1: syntax error while parsing value - invalid literal; last read: 'v'");
}

TEST(schema_org_parts, texts_come_to_utf8_by_mark_declaration_or_windows_1252) {
    EXPECT_EQ(text_to_utf8("\xEF\xBB\xBF" "caf\xC3\xA9"), "caf\u00e9");
    EXPECT_EQ(text_to_utf8(std::string("\xFF\xFE" "c\0\xE9\0", 6)), "c\u00e9");
    EXPECT_EQ(text_to_utf8("\x80 \x81 \xC3\xA9"), "\u20ac \ufffd \u00e9");  // 0x81 is no character in Windows-1252
    EXPECT_EQ(page_to_utf8("<meta charset=\"KOI8-R\"><p>\xF3\xD5\xD0"), "<meta charset=\"KOI8-R\"><p>\u0421\u0443\u043f");
}

TEST(schema_org_parts, markup_becomes_plain_lines) {
    EXPECT_EQ(clean_line(" Tom &amp;amp;  Jerry&#39;s\u00a0 <i>cake</i> for 2 < 3 &amp;lt;b&amp;gt; "),
              "Tom & Jerry's cake for 2 < 3 <b>");
    EXPECT_EQ(clean_lines("<ol><li>Mix</li><li>Bake<br>well</li></ol>\r\rServe<script>x()</script>"),
              (std::vector<std::string>{"Mix", "Bake", "well", "Serve"}));
}

// Yields, authors by reference, relative URLs, keys in order, headings that
// end in a colon already: one JSON file of small recipes.
TEST(schema_org_parts, fields_in_their_rarer_shapes) {
    const read_result result = read_recipe_json(R"({"@graph": [
        {"@type": "Person", "@id": "#ann", "name": "Ann"},
        {"@type": "Recipe", "name": "a", "recipeYield": "\u00bd batch", "author": {"@id": "#ann"}, "url": "/a"},
        {"@type": "Recipe", "name": "b", "recipeYield": ["", {"value": 5.5}], "author": [{"name": ""}, "Bo", {"x": 1}]},
        {"@type": "Recipe", "name": "c", "recipeYield": "12345678901 cups"},
        {"@type": "Recipe", "name": "d", "recipeYield": -3, "recipeInstructions": {"10": "ten", "9": "nine", "@type": "x"}},
        {"@type": "Recipe", "name": "e", "recipeInstructions": [{"@type": "HowToSection", "name": "Sauce:",
            "itemListElement": {"@type": "ItemList", "itemListElement": ["stir"]}}]},
        {"@type": "schema:Recipe", "name": "f"}, {"@type": "MyRecipe", "name": "not a recipe"}]})",
                                                      "few.json");
    std::vector<std::string> seen;
    for (const found_recipe& r : result.recipes) {
        std::string line = r.name + "|" + r.author + "|" + r.source + "|" + std::to_string(r.servings);
        for (const std::string& step : r.directions) line += "|" + step;
        seen.push_back(line);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"a|Ann||0|Yield: \u00bd batch", "b|Bo||0|Yield: 5.5",
                                              "c|||0|Yield: 12345678901 cups", "d|||0|Yield: -3|nine|ten",
                                              "e|||0|Sauce:|stir", "f|||0"}));
}

TEST(schema_org_parts, a_recipe_marked_up_twice_on_a_page_comes_out_once) {
    const read_result result = read_recipe_page(
        R"(<script type="application/ld+json">{"@type": "Recipe", "name": "Stew"}</script>
           <div itemscope itemtype="https://schema.org/Recipe"><h1 itemprop="name">Stew</h1></div>
           <div itemscope itemtype="https://schema.org/Recipe"><h1 itemprop="name">Soup</h1>
             <a itemprop="url" href="https://soup.example/x">here</a></div>)",
        "stew.html");
    ASSERT_EQ(result.recipes.size(), 2u);
    EXPECT_EQ(result.recipes[0].name, "Stew");
    EXPECT_EQ(result.recipes[1].name, "Soup");
    EXPECT_EQ(result.recipes[1].directions, std::vector<std::string>{"Source: https://soup.example/x"});
}
