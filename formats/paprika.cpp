#include "formats/paprika.h"

#include "formats/export_fields.h"
#include "formats/json_fields.h"
#include "formats/yield.h"

using nlohmann::json;

bool is_paprika(std::string_view start, std::string_view) {
    return opens_with(start, '{') && names_key(start, "uid") && names_key(start, "name") &&
           (names_key(start, "ingredients") || names_key(start, "directions") || names_key(start, "photo_data"));
}

read_result read_paprika(std::string_view bytes, const std::string&) {
    const std::optional<json> value = parse_export_json(bytes);
    if (!value || !value->is_object()) return {{}, {"not a Paprika recipe: the JSON could not be read"}};
    read_result result;
    found_recipe recipe;
    recipe.name = joined_parts({text_at(*value, "name")});
    recipe.description = joined_parts({text_at(*value, "description")});
    recipe.ingredients = plain_lines(text_at(*value, "ingredients"));
    // Steps come as paragraphs or lines, often numbered.
    for (const std::string& step : plain_lines(text_at(*value, "directions")))
        recipe.directions.emplace_back(without_list_number(step));
    add_notes(recipe, plain_lines(text_at(*value, "notes")));
    set_source(recipe, text_at(*value, "source"), text_at(*value, "source_url"));
    apply_yield(recipe, text_at(*value, "servings"));
    if (!text_at(*value, "photo_data").empty()) result.pictures = 1;
    if (!recipe.name.empty()) result.recipes.push_back(std::move(recipe));
    return result;
}
