#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "formats/charset.h"
#include "formats/html_document.h"
#include "formats/schema_org.h"
#include "shell/isolated.h"
#include "import_recipes/import_tool.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

std::string repeated(std::string_view piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

std::string utf16(std::string_view latin1, bool little_end) {
    std::string out = little_end ? "\xFF\xFE" : "\xFE\xFF";
    for (char c : latin1) {
        out += little_end ? c : '\0';
        out += little_end ? '\0' : c;
    }
    return out;
}

// Every field of each recipe, so that one comparison shows any difference.
std::string shown(const read_result& result) {
    std::string text;
    for (const found_recipe& recipe : result.recipes) {
        text += recipe.name + "|" + recipe.source + "|" + recipe.description + "|";
        for (const std::string& line : recipe.ingredients) text += line + ";";
        for (const std::string& line : recipe.directions) text += line + ";";
        text += "\n";
    }
    for (const std::string& note : result.notes) text += note + "\n";
    return text;
}

void run_out_of_memory() { throw std::bad_alloc(); }
void fail_otherwise() { throw std::runtime_error("no"); }

}  // namespace

// The parser takes the page in pieces of some kilobytes, with line ends and
// NULs mended on the way: a CR LF split between two pieces is one line end,
// and a NUL where a piece has no room left for its three bytes is not lost.
TEST(page_memory, line_ends_and_nuls_are_mended_across_the_pieces_the_parser_takes) {
    // Runs of every length between them, so that each falls on a piece's end somewhere.
    std::string script, expected;
    for (int i = 0; i < 3000; ++i) {
        script += std::string(i % 7, 'a') + "\r\n" + std::string(i % 5, 'b') + '\0' + std::string(i % 3, 'c') + "\r";
        expected += std::string(i % 7, 'a') + "\n" + std::string(i % 5, 'b') + "\uFFFD" + std::string(i % 3, 'c') + "\n";
    }
    const html_document page = parse_html("<script>" + script + "</script>");
    ASSERT_TRUE(page.tree);
    const xmlNode* node = page.root();
    while (node && !is_element(node, "script")) node = next_node(node, page.root());
    ASSERT_TRUE(node && node->children);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(node->children->content)), expected);
}

// Plain UTF-8 is parsed where it lies; every other way in (a byte order mark,
// UTF-16 either way round, a declared Latin character set, CR LF or CR line
// ends, a NUL) goes through a conversion or mending, and gives the same recipe.
TEST(page_memory, a_page_gives_the_same_recipe_whichever_way_its_text_reaches_the_parser) {
    const std::string page =
        "<html><head><meta charset=\"windows-1252\"><link rel=\"canonical\" href=\"https://soup.example/creme\">"
        "</head><body>\n<p>Notes\non the\nrecipe</p>\n<script type=\"application/ld+json\">{\"@type\": \"Recipe\", "
        "\"name\": \"Cr\xe8me br\xfbl\xe9\x65\", \"description\": \"Rich\", \"recipeIngredient\": [\"5 yolks\", "
        "\"\xbd l cream\"], \"recipeInstructions\": \"Whisk.\nBake at 150\xb0.\"}</script>\n"
        "<div itemscope itemtype=\"https://schema.org/Recipe\">\n<span itemprop=\"name\">Tarte \xe0\nla cr\xe8me</span>"
        "\n</div></body></html>";
    const std::string expected =
        "Cr\u00e8me br\u00fbl\u00e9\x65|soup.example|Rich|5 yolks;\u00bd l cream;Whisk.;Bake at 150\u00b0.;"
        "Source: https://soup.example/creme;\n"
        "Tarte \u00e0 la cr\u00e8me|soup.example||Source: https://soup.example/creme;\n";
    const auto utf8 = [](std::string_view latin1) {
        std::string out;
        for (char c : latin1) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x80) out += c;
            else out += static_cast<char>(0xC0 | byte >> 6), out += static_cast<char>(0x80 | (byte & 0x3F));
        }
        return out;
    };
    const auto with = [](std::string_view text, std::string_view from, std::string_view to) {
        std::string out;
        std::size_t done = 0;
        for (std::size_t at = 0; (at = text.find(from, done)) != std::string_view::npos; done = at + from.size())
            out.append(text.substr(done, at - done)).append(to);
        return out.append(text.substr(done));
    };
    const std::string as_utf8 = with(utf8(page), "windows-1252", "utf-8");
    const std::pair<const char*, std::string> ways[] = {
        {"UTF-8", as_utf8},
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + as_utf8},
        {"UTF-16 LE", utf16(page, true)},
        {"UTF-16 BE", utf16(page, false)},
        {"Windows-1252", page},
        {"CR LF", with(as_utf8, "\n", "\r\n")},
        {"CR", with(as_utf8, "\n", "\r")},
        {"a NUL between the tags", with(as_utf8, "</p>\n", std::string("</p>\n\0", 6))},
    };
    for (const auto& [way, bytes] : ways) EXPECT_EQ(shown(read_recipe_page(bytes, "page.html")), expected) << way;
    // A JSON file is read in place when it is UTF-8 and converted otherwise.
    const std::string json = "{\"@type\": \"Recipe\", \"name\": \"Cr\xe8pe\"}";
    EXPECT_EQ(shown(read_recipe_json(json, "f.json")), "Cr\u00e8pe|||\n");
    EXPECT_EQ(shown(read_recipe_json(utf8(json), "f.json")), "Cr\u00e8pe|||\n");
}

// The least a tree takes, counted before the parse: a node for an element or
// a text, an attribute, and the node of its value with the value's bytes;
// what is inside a comment, a script or a style makes no element.
TEST(page_memory, the_least_tree_size_counts_elements_attributes_and_texts_only) {
    EXPECT_EQ(least_tree_size(""), 0u);
    EXPECT_EQ(least_tree_size("<p>"), 128u);
    EXPECT_EQ(least_tree_size("<p class=a>x"), 128u + 112 + 144 + 128);
    EXPECT_EQ(least_tree_size("<div itemscope itemtype = \"a>b\">"), 128u + 112 + 112 + 144 + 4);
    // A quote inside a value starts nothing.
    EXPECT_EQ(least_tree_size("<p title=don't>x<b class='y'>"), 128u + 112 + 144 + 128 + 128 + 112 + 144 + 2);
    EXPECT_EQ(least_tree_size("<!-- <p><p> --><SCRIPT><p><p></script ><style><p></STYLE>< p>1 < 2"), 2 * 128u);
    EXPECT_EQ(least_tree_size("<a href=\"x"), 128u + 112 + 144);  // an unclosed quote ends the count
    const std::string tiny = repeated("<p>", 700000);  // 2 MB; at least 90 MB as a tree
    EXPECT_GT(least_tree_size(tiny), html_tree_limit);
    EXPECT_EQ(parse_html(tiny).failure, "needs more memory than a page may use to read");
    EXPECT_EQ(parse_html(tiny.substr(0, 3 * 100000)).failure, "");
}

// A converted copy is made only when it cannot grow past what it may take
// (each byte that is not ASCII may become three), and it counts against the
// tree's room while the tree is built. UTF-8 is never copied, however large.
TEST(page_memory, a_converted_copy_is_bounded_before_it_is_made_and_counts_against_the_tree) {
    std::string held;
    EXPECT_FALSE(page_as_utf8("caf\xe9", held, 5));
    EXPECT_EQ(page_as_utf8("caf\xe9", held, 6), "caf\u00e9");
    const std::string_view marked = {"\xFF\xFEx\0", 4};
    EXPECT_FALSE(text_as_utf8(marked, held, 7));  // its mark counts too
    EXPECT_EQ(text_as_utf8(marked, held, 8), "x");
    held.clear();
    const std::string_view plain = "caf\u00e9 \u20ac";
    EXPECT_EQ(page_as_utf8(plain, held, 0)->data(), plain.data());
    EXPECT_TRUE(held.empty());
    EXPECT_EQ(parse_html("<p>", html_tree_limit - 128).failure, "");
    EXPECT_EQ(parse_html("<p>", html_tree_limit - 127).failure, "needs more memory than a page may use to read");
    // A page that would grow too large is refused without the copy.
    EXPECT_EQ(shown(read_recipe_page(std::string(html_tree_limit / 3 + 1, '\xe9'), "wide.html")),
              "The page needs more memory than a page may use to read.\n");
}

// A page whose tree would not fit is refused before it is parsed, with a
// note, and the next file is read.
class page_memory_test : public larder_test {};

TEST_F(page_memory_test, a_page_too_large_for_the_reader_gets_a_note_and_the_run_goes_on) {
    const fs::path collection = dir / "Larderon";
    fs::create_directory(collection);
    write_whole_file(dir / "a-tiny.html", "<html><body>" + repeated("<p>", 700000));
    write_whole_file(dir / "b-soup.html",
                     "<!DOCTYPE html><html><head><script type=\"application/ld+json\">{\"@type\": \"Recipe\", "
                     "\"name\": \"Soup\"}</script></head></html>");
    std::ostringstream out, err;
    EXPECT_EQ(import_recipes({(dir / "a-tiny.html").string(), (dir / "b-soup.html").string()},
                             {collection.string(), out, err, false}),
              1);  // a file could not be read
    EXPECT_EQ(err.str(), (dir / "a-tiny.html").string() + ": The page needs more memory than a page may use to read.\n");
    EXPECT_EQ(out.str(), "Imported 1 recipes from 1 file into " + collection.string() +
                             ".\nWithout directions: 1 (Soup)\nWithout ingredients: 1 (Soup)\nFrom web pages 1.\n");
    EXPECT_TRUE(fs::exists(collection / "Soup1.rcp"));
}

// A manager's HTML export is read block by block as the parser goes: each
// block it has finished is read and freed with all before it, so that an
// export of any number of recipes takes the memory of one. What is read is
// what a whole tree gives: outermost blocks in page order, none from a
// template, and one left open at the end.
TEST(page_memory, an_export_is_read_block_by_block_as_the_parser_goes) {
    std::string page = "<html><body><template><div class=r id=hidden></div></template>";
    std::vector<std::string> expected;
    for (int i = 0; i < 3000; ++i) {
        const std::string id = std::to_string(i);
        page += "<section><div class='x r' id=" + id + "><h2>" + id + "</h2><p>Stir " + std::string(i % 40, 'w') +
                "</div></section>\n";
        expected.push_back(id + ":" + std::to_string(id.size() + 5 + i % 40));
    }
    page += "<div class=r id=outer><div class=r id=inner></div></div><div><div class=r id=last>";
    expected.insert(expected.end(), {"outer:0", "last:0"});
    static int alone;  // blocks read with nothing before them left in the tree
    alone = 0;
    const read_result result = read_recipe_blocks(page, "r", [](const xmlNode* div) {
        alone += div->parent->prev == nullptr;
        std::size_t text = 0;  // the block's text, all there when it is read
        for (const xmlNode* node = div; node; node = next_node(node, div))
            if (node->type == XML_TEXT_NODE) text += std::string_view(reinterpret_cast<const char*>(node->content)).size();
        found_recipe recipe;
        recipe.name = std::string(attribute(div, "id")) + ":" + std::to_string(text);
        return recipe;
    });
    std::vector<std::string> names;
    for (const found_recipe& recipe : result.recipes) names.push_back(recipe.name);
    EXPECT_EQ(names, expected);
    EXPECT_GT(alone, 2900);
}

// A JSON value is held whole while it is read: one of more than
// json_held_value_limit values or json_held_byte_limit bytes is refused, as
// is a text of more when its parts refer to each other; items of an array
// read one at a time are not held together, so the limit is not theirs.
TEST(page_memory, json_holds_a_bounded_number_of_values_at_once) {
    const std::string item = std::string("{\"x\": [").append(repeated("{},", 999)).append("{}]},");
    const std::string items = std::string("[").append(repeated(item, 400));  // 800,400 values
    const std::string last = R"({"@type": "Recipe", "name": "Last"}])";
    EXPECT_EQ(shown(read_recipe_json(items + last, "items.json")), "Last|||\n");
    EXPECT_EQ(shown(read_recipe_json(items + R"({"@id": "#x", "@type": "Recipe", "name": "Last"}])", "id.json")),
              "The file could not be read as JSON: holds more than 750000 values.\n");
    EXPECT_EQ(shown(read_recipe_json(R"({"@type": "Recipe", "name": "Big", "x": )" + items + "{}]}", "one.json")),
              "The file could not be read as JSON: holds more than 750000 values.\n");
    // Nor one of a few long texts, held as text and again as strings.
    const std::string wide = std::string("{\"t\": \"").append(std::size_t{1} << 20, 'w').append("\"},");
    EXPECT_EQ(shown(read_recipe_json(std::string(R"({"@type": "Recipe", "name": "Long", "x": [)").append(repeated(wide, 32)).append("{}]}"), "long.json")),
              "The file could not be read as JSON: holds more than 32 MB in one value.\n");
}

// Memory that runs out where no exception may pass (a destructor) ends the
// child through terminate: it is told as the memory limit, and nothing is
// printed on the terminal.
TEST(page_memory, memory_running_out_in_a_destructor_is_the_memory_limit) {
    struct frees_by_allocating {
        ~frees_by_allocating() { run_out_of_memory(); }  // what a JSON tree's clean-up does when memory is out
    };
    struct fails_when_freed {
        ~fails_when_freed() { fail_otherwise(); }
    };
    testing::internal::CaptureStderr();
    const isolated_run run = run_isolated([] { return frees_by_allocating(), std::string(); }, 5, 64 << 20);
    const isolated_run other = run_isolated([] { return fails_when_freed(), std::string(); }, 5);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(run.failure, "it needs more than 64 MB of memory to read");
    EXPECT_EQ(other.failure, "the reader stopped on it");
}
