#include "formats/recipe_sage.h"

#include <algorithm>

#include "formats/export_fields.h"
#include "formats/json_fields.h"
#include "formats/schema_recipe.h"
#include "formats/yield.h"

using nlohmann::json;

namespace {

// "[Sauce]" is RecipeSage's heading.
std::string bracket_heading(const std::string& line) {
    if (line.size() > 2 && line.starts_with('[') && line.ends_with(']'))
        return heading_line(std::string_view(line).substr(1, line.size() - 2));
    return {};
}

void add_lines(std::vector<std::string>& lines, const std::string& text) {
    for (std::string& line : plain_lines(text)) {
        const std::string heading = bracket_heading(line);
        lines.push_back(heading.empty() ? std::move(line) : heading);
    }
}

bool is_type(const json& item, std::string_view type) {
    const std::string given = text_at(item, "@type");
    return given == type || given.ends_with(std::string("/").append(type));
}

// HowToStep items, and HowToSection items whose title is in "name" (newer)
// or in brackets in "text" (older), with or without steps of their own.
void add_steps(std::vector<std::string>& directions, const json& items, int depth) {
    if (depth > 8) return;
    if (items.is_string()) return add_lines(directions, items.get<std::string>());
    if (!items.is_array()) return;
    for (const json& item : items) {
        if (item.is_string()) {
            add_lines(directions, item.get<std::string>());
        } else if (is_type(item, "HowToSection")) {
            if (std::string title = heading_line(text_at(item, "name")); !title.empty()) directions.push_back(title);
            add_lines(directions, text_at(item, "text"));
            if (item.contains("itemListElement")) add_steps(directions, item["itemListElement"], depth + 1);
        } else {
            add_lines(directions, text_at(item, "text"));
        }
    }
}

found_recipe sage_recipe(const json& item) {
    found_recipe recipe;
    recipe.name = joined_parts({text_at(item, "name")});
    recipe.description = joined_parts({text_at(item, "description")});
    if (const auto list = item.find("recipeIngredient"); list != item.end() && list->is_array())
        for (const json& line : *list)
            if (line.is_string()) add_lines(recipe.ingredients, line.get<std::string>());
    if (item.contains("recipeInstructions")) add_steps(recipe.directions, item["recipeInstructions"], 0);
    std::vector<std::string> notes;
    if (const auto comments = item.find("comment"); comments != item.end() && comments->is_array())
        for (const json& comment : *comments)
            if (text_at(comment, "name") == "Author Notes") add_lines(notes, text_at(comment, "text"));
    add_notes(recipe, notes);
    set_source(recipe, text_at(item, "creditText"), text_at(item, "isBasedOn"));
    apply_yield(recipe, text_at(item, "recipeYield"));
    return recipe;
}

}  // namespace

bool is_recipe_sage(std::string_view start, std::string_view) {
    return (opens_with(start, '[') || opens_with(start, '{')) && names_key(start, "@type") &&
           (names_key(start, "creditText") || names_key(start, "isBasedOn"));
}

read_result read_recipe_sage(std::string_view bytes, const std::string&) {
    const std::optional<json> value = parse_export_json(bytes);
    if (!value) return {{}, {"not a RecipeSage export: the JSON could not be read"}};
    const json* items = &*value;
    if (value->is_object() && value->contains("recipes")) items = &(*value)["recipes"];
    read_result result;
    const auto take = [&](const json& item) {
        if (!is_type(item, "Recipe")) return;
        found_recipe recipe = sage_recipe(item);
        if (!recipe.name.empty()) result.recipes.push_back(std::move(recipe));
    };
    if (items->is_array())
        for (const json& item : *items) take(item);
    else
        take(*items);
    return result;
}

// Nextcloud keeps each recipe as "recipe.json" in a folder of its own.
bool is_nextcloud(std::string_view start, std::string_view file_name) {
    return file_name == "recipe.json" && opens_with(start, '{') && names_key(start, "@type");
}

read_result read_nextcloud(std::string_view bytes, const std::string&) {
    const std::optional<json> value = parse_export_json(bytes);
    if (!value || !value->is_object() || !is_recipe_type(text_at(*value, "@type")))
        return {{}, {"not a Nextcloud Cookbook recipe: the JSON could not be read"}};
    found_recipe recipe = map_recipe(*value, {}, {});
    // Ingredient lines starting "##" are group headings.
    for (std::string& line : recipe.ingredients)
        if (line.starts_with("##")) line = heading_line(std::string_view(line).substr(std::min(line.find_first_not_of("# "), line.size())));
    read_result result;
    if (!recipe.name.empty()) result.recipes.push_back(std::move(recipe));
    return result;
}
