#include "formats/gourmet.h"

#include "formats/clean_text.h"
#include "formats/export_fields.h"
#include "formats/xml_document.h"
#include "formats/yield.h"

namespace {

// Gourmet escapes its instructions twice: after parsing, "&lt;i&gt;" is
// still left. One more round of the XML entities gives the markup, which
// the text cleaner then drops.
std::string unescape_once(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        bool replaced = false;
        if (text[i] == '&')
            for (auto [entity, c] : {std::pair{"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''},
                                     {"&amp;", '&'}})
                if (text.substr(i).starts_with(entity)) {
                    out += c;
                    i += std::string_view(entity).size() - 1;
                    replaced = true;
                    break;
                }
        if (!replaced) out += text[i];
    }
    return out;
}

std::vector<std::string> plain_paragraphs(const xmlNode* node) {
    std::vector<std::string> lines;
    for (const std::string& paragraph : text_paragraphs(unescape_once(raw_text(node))))
        if (std::string line = clean_line(paragraph); !line.empty()) lines.push_back(std::move(line));
    return lines;
}

void add_ingredients(const xmlNode* list, found_recipe& recipe) {
    for (const xmlNode* item = list ? list->children : nullptr; item; item = item->next) {
        if (is_named(item, "ingredient")) {
            const std::string line =
                join_ingredient(child_text(item, "amount"), child_text(item, "unit"), child_text(item, "item"));
            if (!line.empty()) recipe.ingredients.push_back(line);
        } else if (is_named(item, "inggroup")) {
            if (std::string heading = heading_line(child_text(item, "groupname")); !heading.empty())
                recipe.ingredients.push_back(heading);
            add_ingredients(item, recipe);
        } else if (is_named(item, "ingref")) {
            // Another recipe used as an ingredient: kept as a line.
            const std::string line = join_ingredient(attribute(item, "amount"), "", text_of(item));
            if (!line.empty()) recipe.ingredients.push_back(line);
        }
    }
}

found_recipe read_recipe(const xmlNode* node) {
    found_recipe recipe;
    recipe.name = clean_line(child_text(node, "title"));
    add_ingredients(child_named(node, "ingredient-list"), recipe);
    recipe.directions = plain_paragraphs(child_named(node, "instructions"));
    add_notes(recipe, plain_paragraphs(child_named(node, "modifications")));
    set_source(recipe, child_text(node, "source"), child_text(node, "link"));
    apply_yield(recipe, child_text(node, "yields"));
    return recipe;
}

}  // namespace

bool is_gourmet(std::string_view start, std::string_view) {
    const std::string_view root = xml_root_name(start);
    return root == "gourmetDoc" || root == "recipeDoc";
}

read_result read_gourmet(std::string_view bytes, const std::string&) {
    read_result result;
    const std::string note = read_xml_records(bytes, nullptr, "recipe", [&](const xmlNode* node) {
        result.recipes.push_back(read_recipe(node));
    });
    if (!note.empty()) result.notes.push_back(note);
    return result;
}
