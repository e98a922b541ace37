#include "formats/copy_me_that.h"

#include "formats/charset.h"
#include "formats/clean_text.h"
#include "formats/html_document.h"
#include "formats/result_bytes.h"
#include "formats/export_fields.h"
#include "formats/yield.h"

namespace {

std::string text_in(const xmlNode* element) { return clean_line(page_text(element)); }

std::string heading(const xmlNode* element) {
    std::string words = text_in(element);
    if (!words.empty() && !words.ends_with(':')) words += ':';
    return words;
}

// The list items of a list, as lines; subheaders as headings, spacers left out.
void add_items(const xmlNode* list, std::string_view subheader, std::vector<std::string>& lines) {
    for (const xmlNode* item = list; item; item = next_node(item, list)) {
        if (!is_element(item, "li")) continue;
        std::string line = has_class(item, subheader) ? heading(item) : text_in(item);
        if (!line.empty()) lines.push_back(std::move(line));
    }
}

found_recipe read_recipe(const xmlNode* div) {
    found_recipe recipe;
    std::string source, yield;
    const xmlNode* notes = nullptr;
    for (const xmlNode* node = div; node;) {
        const std::string_view id = attribute(node, "id");
        bool read = true;
        if (id == "name") recipe.name = text_in(node);
        else if (id == "original_link") source = is_element(node, "a") && has_attribute(node, "href")
                                                      ? std::string(attribute(node, "href")) : text_in(node);
        else if (id == "recipeYield") yield = text_in(node);
        else if (id == "description") recipe.description = text_in(node);
        else if (id == "recipeIngredients") add_items(node, "recipeIngredient_subheader", recipe.ingredients);
        else if (id == "recipeInstructions") add_items(node, "instruction_subheader", recipe.directions);
        else if (id == "recipeNotes") notes = node;
        else read = false;
        node = next_node(node, div, !read);
    }
    if (notes) {
        std::vector<std::string> lines;
        add_items(notes, "", lines);
        add_notes(recipe, lines);
    }
    apply_yield(recipe, yield);
    if (!source.empty()) set_source(recipe, source, "");
    return recipe;
}

}  // namespace

bool is_copy_me_that(std::string_view start, std::string_view) {
    return start.find("copymethat_class_id_version") != std::string_view::npos;
}

read_result read_copy_me_that(std::string_view bytes, const std::string&) {
    return read_in_child([&] { return read_recipe_blocks(bytes, "recipe", read_recipe); }, "page");
}
