#include "formats/recipe_keeper.h"

#include "formats/charset.h"
#include "formats/clean_text.h"
#include "formats/html_document.h"
#include "formats/result_bytes.h"
#include "formats/export_fields.h"
#include "formats/yield.h"

namespace {

// One line a paragraph or <br>; empty paragraphs, which the export puts
// between steps, left out.
void add_lines(const xmlNode* element, std::vector<std::string>& lines) {
    for (std::string& line : clean_lines(page_text(element))) lines.push_back(std::move(line));
}

found_recipe read_recipe(const xmlNode* div) {
    found_recipe recipe;
    std::string source, yield;
    std::vector<std::string> notes;
    for (const xmlNode* node = div; node;) {
        const std::string_view property = attribute(node, "itemprop");
        bool read = true;
        if (property == "name") recipe.name = clean_line(page_text(node));
        else if (property == "recipeSource") source = clean_line(page_text(node));
        else if (property == "recipeYield") yield = clean_line(page_text(node));
        else if (property == "recipeIngredients") add_lines(node, recipe.ingredients);
        else if (property == "recipeDirections") add_lines(node, recipe.directions);
        else if (property == "recipeNotes") add_lines(node, notes);
        else read = false;
        node = next_node(node, div, !read);
    }
    add_notes(recipe, notes);
    apply_yield(recipe, yield);
    if (!source.empty()) set_source(recipe, source, "");
    return recipe;
}

}  // namespace

// The class alone is common on web pages; the property names are Recipe Keeper's own.
bool is_recipe_keeper(std::string_view start, std::string_view) {
    return start.find("recipe-details") != std::string_view::npos &&
           (start.find("\"recipeDirections\"") != std::string_view::npos ||
            start.find("\"recipeIngredients\"") != std::string_view::npos);
}

read_result read_recipe_keeper(std::string_view bytes, const std::string&) {
    return read_in_child([&] { return read_recipe_blocks(bytes, "recipe-details", read_recipe); }, "page");
}
