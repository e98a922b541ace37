#include "formats/krecipes.h"

#include "formats/clean_text.h"
#include "formats/export_fields.h"
#include "formats/xml_document.h"
#include "formats/yield.h"

namespace {

void add_ingredients(const xmlNode* list, found_recipe& recipe) {
    for (const xmlNode* item = list ? list->children : nullptr; item; item = item->next) {
        if (is_named(item, "ingredient")) {
            std::string line =
                join_ingredient(child_text(item, "amount"), child_text(item, "unit"), child_text(item, "name"));
            if (std::string prep = child_text(item, "prep"); !prep.empty()) line += ", " + prep;
            if (!line.empty()) recipe.ingredients.push_back(line);
        } else if (is_named(item, "ingredient-group")) {
            if (std::string heading = heading_line(attribute(item, "name")); !heading.empty())
                recipe.ingredients.push_back(heading);
            add_ingredients(item, recipe);
        }
    }
}

found_recipe read_recipe(const xmlNode* node) {
    found_recipe recipe;
    const xmlNode* description = child_named(node, "krecipes-description");
    recipe.name = clean_line(child_text(description, "title"));
    for (const xmlNode* author : children_named(description, "author")) {
        const std::string name = text_of(author);
        if (name.empty()) continue;
        if (!recipe.author.empty()) recipe.author += ", ";
        recipe.author += name;
    }
    add_ingredients(child_named(node, "krecipes-ingredients"), recipe);
    for (const std::string& line : text_lines(raw_text(child_named(node, "krecipes-instructions"))))
        recipe.directions.push_back(clean_line(line));
    apply_yield(recipe, child_text(description, "serving"));
    return recipe;
}

}  // namespace

bool is_krecipes(std::string_view start, std::string_view) {
    return xml_root_name(start) == "krecipes";
}

read_result read_krecipes(std::string_view bytes, const std::string&) {
    read_result result;
    const std::string note = read_xml_records(bytes, nullptr, "krecipes-recipe", [&](const xmlNode* node) {
        result.recipes.push_back(read_recipe(node));
    });
    if (!note.empty()) result.notes.push_back(note);
    return result;
}
