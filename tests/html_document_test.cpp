#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/clean_text.h"
#include "formats/html_document.h"
#include "shell/isolated.h"
#include "formats/schema_org.h"

namespace {

std::string text_of_first(const html_document& document, std::string_view tag) {
    for (const xmlNode* node = document.root(); node; node = next_node(node, document.root()))
        if (is_element(node, tag) && node->children) return reinterpret_cast<const char*>(node->children->content);
    return "(none)";
}

std::string repeated(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

}  // namespace

TEST(html_document, line_ends_and_nul_are_made_what_a_browser_reads) {
    const html_document page = parse_html(std::string("<script>a\r\nb\rc\0d</script><p>x\r\ny</p>", 36));
    ASSERT_TRUE(page.tree);
    EXPECT_EQ(text_of_first(page, "script"), "a\nb\nc\uFFFDd");  // a NUL no longer ends the page
    EXPECT_EQ(text_of_first(page, "p"), "x\ny");
}

TEST(html_document, template_contents_are_left_out) {
    const std::string recipe = R"(<script type="application/ld+json">{"@type": "Recipe", "name": "Hidden"}</script>)"
                               R"(<div itemscope itemtype="https://schema.org/Recipe"><b itemprop="name">Also</b></div>)";
    const html_document page = parse_html("<body><template><p>hidden</p>" + recipe + "</template><p>shown</p></body>");
    ASSERT_TRUE(page.tree);
    EXPECT_EQ(page_text(page.root()), "\nshown\n");
    EXPECT_TRUE(read_recipe_page("<html><template>" + recipe + "</template></html>", "t.html").recipes.empty());
}

TEST(html_document, the_parser_says_nothing_on_the_terminal) {
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    parse_html("<table><tr><select><td></b></i><p>&bogus; <x y=\"1\" y=\"2\"></svg>" + repeated("<div>", 5000));
    parse_html(std::string("\xFF\xFE<", 3));
    // Out of memory, it would speak even when told not to.
    run_isolated([] { return parse_html(repeated("<p class=a>x", 400000)).failure; }, 10, 64 << 20);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// Each of these shapes once kept a parser busy for the square of its size,
// or made it build an element per tag and line. Each ends, in a child
// process with a tenth of the usual limits, read or refused with a reason.
TEST(html_document, hostile_shapes_end_within_limits) {
    struct shape {
        const char* head;
        const char* piece;  // repeated 20,000 times
        bool read;          // else refused as too deep
    };
    const shape shapes[] = {
        {"", "<div>", false}, {"", "<span title='>'>", false}, {"<svg><foreignObject>", "<x/>", true},
        {"<math><annotation-xml encoding='text/html'>", "<x/>", true}, {"", "<b><i>", false},
        {"<table><td>", "<table><td>", false}, {"", "<form><noscript></form>", true},
        {"<table><td><select><td>", "<div>", false}, {"<select><style></select>", "<div>", false},
        {"", "<template>", false},
        {"<ul>", "<li>x", true}, {"<table>", "<tr><td>x<td><div>y", false}, {"<select>", "<option>x<div>y</div>", true},
        {"", "<div><p>x</div>", true}, {"", "<b id=1>x</b>", true}, {"", "<td><tr><caption><tbody>x", true},
        {"", "<script>document.write('<div>')</script>", true}, {"", "<textarea><div></textarea>", false},
        {"<div x", " a=1", true},  // a single tag with 20,000 attributes
        {"", "<div></b></i></span>", false},
    };
    for (const shape& s : shapes) {
        const std::string page = s.head + repeated(s.piece, 20000);
        const isolated_run run = run_isolated([&] { return parse_html(page).failure; }, 3, 100 << 20);
        EXPECT_TRUE(run.finished) << s.head << s.piece << ": " << run.failure;
        EXPECT_EQ(run.output, s.read ? "" : "is nested too deeply to read") << s.head << s.piece;
    }
    // Formatting tags misnested across blocks, which an HTML5 parser answers
    // with an element per tag and line.
    const std::string misnested =
        repeated("<div>", 300) + repeated("<b id=1>", 300) + repeated("</div>x", 300);
    EXPECT_TRUE(parse_html(misnested).tree);
}

TEST(html_document, a_page_beyond_the_memory_limit_gets_a_note_and_the_run_goes_on) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs an unlimited address space";
#endif
    const std::string page = repeated("<p class=a>x", 400000);  // a tree of well over 64 MB
    EXPECT_EQ(run_isolated([&] { return parse_html(page).failure; }, 10, 64 << 20).output,
              "needs more memory than a page may use to read");
    EXPECT_EQ(run_isolated([] { return std::string(std::size_t{1} << 30, 'x').substr(0, 1); }, 10, 64 << 20).failure,
              "it needs more than 64 MB of memory to read");
    EXPECT_EQ(run_isolated([&] { return parse_html(page.substr(0, 48000)).failure; }, 10, 64 << 20).output, "");
}

// libxml2 stops at a text of more than 10 MB in one piece as if out of memory:
// the note says what it was.
TEST(html_document, a_text_too_long_in_one_piece_is_named_as_such) {
    EXPECT_EQ(parse_html("<p>" + std::string((10 << 20) + 1000, 'w') + "</p>").failure,
              "holds a text of more than 10 MB in one piece, too long to read");
}

TEST(html_document, references_only_html5_knows_and_windows_1252_numbers_are_decoded) {
    EXPECT_EQ(clean_line("&frac13; cup, &half; tsp, 1&frac23; l &ndash; 180&deg;C &#150; 6&#8211;8 &#128;3 &#129; &apos;x&apos;"),
              "\u2153 cup, \u00bd tsp, 1\u2154 l \u2013 180\u00b0C \u2013 6\u20138 \u20ac3 \u0081 'x'");
    EXPECT_EQ(clean_line("&amp;frac13; &amp;amp;amp; &frac99; &AMP;lt;"), "\u2153 & &frac99; &lt;");
    EXPECT_EQ(clean_line("Salt &amp;amp;amp; pepper"), "Salt & pepper");
}

TEST(html_document, markup_inside_one_field_keeps_it_one_item) {
    EXPECT_EQ(clean_lines("2 lb. <p>asparagus, stalks trimmed</p>"),
              std::vector<std::string>{"2 lb. asparagus, stalks trimmed"});
    EXPECT_EQ(clean_lines("1 cup <b>flour</b>,<div>sifted</div>\n2 eggs"),
              (std::vector<std::string>{"1 cup flour, sifted", "2 eggs"}));
    EXPECT_EQ(clean_lines("<p>Mix.</p><p>Bake.</p>"), (std::vector<std::string>{"Mix.", "Bake."}));
}
