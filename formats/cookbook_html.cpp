#include "formats/cookbook_html.h"

#include "formats/export_text.h"
#include "shell/text.h"

namespace {

const char* const page_start = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Recipes</title>
<style>
body { font-family: Georgia, "DejaVu Serif", serif; line-height: 1.45; color: #222; background: #fff;
       max-width: 42em; margin: 0 auto; padding: 1em 1.5em; }
h1 { font-size: 2.6em; margin: 0 0 0.3em; }
h2 { font-size: 1.6em; margin: 0 0 0.2em; }
h3 { font-size: 1.1em; margin: 1em 0 0.3em; }
.title-page { text-align: center; padding: 25vh 0; }
.contents ol { padding-left: 2em; }
.contents a { color: inherit; }
.recipe { border-top: 1px solid #bbb; padding-top: 1em; margin-top: 2em; }
.about { color: #555; margin: 0; }
.description { font-style: italic; }
li { margin: 0.15em 0; }
@media print {
  @page { margin: 2cm; }
  body { max-width: none; padding: 0; }
  .title-page { padding: 8cm 0 0; }
  .title-page, .contents { break-after: page; }
  .recipe { break-before: page; break-inside: avoid; border: none; margin: 0; padding: 0; }
  .contents a { text-decoration: none; }
}
</style>
</head>
<body>
)";

// UTF-8 with the characters that mean something in HTML escaped.
std::string html_text(const std::string& field) {
    const std::string text = exported_utf8(field);
    std::string out;
    out.reserve(text.size() + 16);
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += c;
        }
    }
    return out;
}

void append_heading(std::string& out, const std::string& name, size_t number) {
    out += "<article class=\"recipe\" id=\"recipe-" + std::to_string(number) + "\">\n<h2>" + html_text(name) +
           "</h2>\n";
}

}  // namespace

void append_cookbook_start(std::string& out, std::span<const index_entry> listed) {
    out += page_start;
    out += "<section class=\"title-page\">\n<h1>Recipes</h1>\n<p>" + with_thousands(listed.size()) +
           (listed.size() == 1 ? " recipe" : " recipes") + "</p>\n</section>\n";
    out += "<nav class=\"contents\">\n<h2>Contents</h2>\n<ol>\n";
    for (size_t i = 0; i < listed.size(); ++i)
        out += "<li><a href=\"#recipe-" + std::to_string(i + 1) + "\">" + html_text(listed[i].name) + "</a></li>\n";
    out += "</ol>\n</nav>\n";
}

void append_cookbook_recipe(std::string& out, const recipe& dish, size_t number) {
    append_heading(out, dish.name, number);
    std::string about;
    if (!dish.author.empty()) about += "By " + html_text(dish.author);
    if (!dish.source.empty()) about += (about.empty() ? "From " : " &middot; from ") + html_text(dish.source);
    if (dish.servings != 0)
        about += (about.empty() ? "Serves " : " &middot; serves ") + std::to_string(dish.servings);
    if (!about.empty()) out += "<p class=\"about\">" + about + "</p>\n";
    if (!dish.description.empty()) out += "<p class=\"description\">" + html_text(dish.description) + "</p>\n";
    if (dish.ingredient_count > 0) {
        out += "<h3>Ingredients</h3>\n<ul>\n";
        for (int i = 1; i <= dish.ingredient_count; ++i) out += "<li>" + html_text(dish.ingredients[i]) + "</li>\n";
        out += "</ul>\n";
    }
    if (dish.direction_count > 0) {
        out += "<h3>Directions</h3>\n<ol>\n";
        for (int i = 1; i <= dish.direction_count; ++i) out += "<li>" + html_text(dish.directions[i]) + "</li>\n";
        out += "</ol>\n";
    }
    out += "</article>\n";
}

void append_cookbook_gap(std::string& out, const index_entry& entry, size_t number) {
    append_heading(out, entry.name, number);
    out += "<p class=\"about\">The recipe file " + html_text(entry.file_name) + " could not be read.</p>\n</article>\n";
}

void append_cookbook_end(std::string& out) {
    out += "</body>\n</html>\n";
}
