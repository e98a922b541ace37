#include <gtest/gtest.h>

#include <string>

#include "formats/html_cost.h"
#include "formats/html_document.h"

namespace {

struct pattern {
    const char* head;
    const char* repeated;  // 100,000 times
    const char* tail;
};

std::uint64_t work_of(const pattern& p) {
    std::string html = p.head;
    for (int i = 0; i < 100000; ++i) html += p.repeated;
    return estimate_html_work(html + p.tail, html_work_limit);
}

}  // namespace

// Each of these nests 100,000 deep in an HTML5 parser, often through a rule
// that a simpler reading of the tags misses.
TEST(html_cost, pages_the_parser_nests_deep_are_over_the_limit) {
    const pattern deep[] = {
        {"", "<div>", ""},
        {"", "<div/>", ""},                                    // "/>" means nothing on an HTML element
        {"", "<span title='>'>", ""},                          // a quoted '>' does not end the tag
        {"<svg><foreignObject>", "<x/>", ""},                  // HTML again inside foreignObject
        {"<svg>", "<div/>", ""},                               // div leaves SVG, then opens
        {"<svg><font color=red>", "<x/>", ""},                 // so does font with color
        {"<math><annotation-xml encoding='text/html'>", "<x/>", ""},
        {"<div><svg></div><![CDATA[", "<div>", ""},            // </div> left SVG: no CDATA section
        {"<select><style></select>", "<div>", ""},             // a select ignores <style>: no raw text
        {"<select><plaintext></select>", "<div>", ""},
        {"<table><td><select><td>", "<div>", ""},              // a cell closes the select in a table
        {"", "<form><noscript></form>", ""},                   // </form> leaves what it held open
        {"", "<li><div></noscript>", ""},                      // </noscript> stops at the open div
        {"", "<b id=1>", ""},
        {"", "<div><script><!--<script></script></div></script>", ""},  // "</div>" is script text
        {"<table><td>", "<table><td>", ""},
        {"<svg><desc><tbody><math>", "</tbody><td>", ""},      // no tbody was opened to close the math
        {"", "<template>", ""},
    };
    for (const pattern& p : deep) EXPECT_GT(work_of(p), html_work_limit) << p.head << p.repeated << p.tail;
}

TEST(html_cost, flat_pages_stay_far_below_the_limit) {
    const pattern flat[] = {
        {"", "<p>x", ""},
        {"<ul>", "<li>x", ""},
        {"<table>", "<tr><td>x<td><div>y", ""},                // a new row or cell closes the last
        {"<table>", "<tbody><tr><th>x</tr>", "</table>"},
        {"<svg><foreignObject><![CDATA[", "<x>", "]]>"},       // CDATA: the current node is SVG
        {"", "<td><tr><caption><tbody>x", ""},                 // table tags outside a table are ignored
        {"<select>", "<option>x<div>y</div>", ""},
        {"", "<div><span><b>x</b></span></div>", ""},
        {"", "<svg><path d='M0 0'/><g/></svg>", ""},
        {"", "<!-- <div> --><!--><div></div>", ""},
        {"", "<script>document.write('<div>')</script>", ""},
        {"", "<textarea><div></textarea><style>div{}</style>", ""},
        {"", "<span title='<div>'>x</span><br/>", ""},
        {"<div>", "<p>x</div><div>", ""},                      // </div> closes the open p too
        {"", "<div><svg><g></div>", ""},                       // </div> closes the SVG inside it
    };
    for (const pattern& p : flat) EXPECT_LT(work_of(p), 10'000'000u) << p.head << p.repeated << p.tail;
}
