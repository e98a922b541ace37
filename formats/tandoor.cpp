#include "formats/tandoor.h"

#include <algorithm>

#include "formats/export_fields.h"
#include "formats/json_fields.h"
#include "formats/markdown_text.h"
#include "formats/yield.h"

using nlohmann::json;

namespace {

const json& list_at(const json& object, const char* key) {
    static const json none = json::array();
    const json& list = member_at(object, key);
    return list.is_array() ? list : none;
}

// With is_header the heading is in the note; amount 0 means none.
std::string ingredient_line(const json& item) {
    if (flag_at(item, "is_header")) return heading_line(text_at(item, "note"));
    return joined_parts({flag_at(item, "no_amount") ? "" : amount_text(number_at(item, "amount")),
                         text_at(member_at(item, "unit"), "name"), text_at(member_at(item, "food"), "name"),
                         text_at(item, "note")});
}

}  // namespace

bool is_tandoor(std::string_view start, std::string_view) {
    return opens_with(start, '{') && names_key(start, "steps") && names_key(start, "working_time");
}

read_result read_tandoor(std::string_view bytes, const std::string&) {
    const std::optional<json> value = parse_export_json(bytes);
    if (!value || !value->is_object()) return {{}, {"not a Tandoor recipe: the JSON could not be read"}};
    const json& row = *value;
    found_recipe recipe;
    recipe.name = joined_parts({text_at(row, "name")});
    recipe.description = joined_parts({text_at(row, "description")});
    std::vector<const json*> steps;
    for (const json& step : list_at(row, "steps")) steps.push_back(&step);
    std::stable_sort(steps.begin(), steps.end(),
                     [](const json* a, const json* b) { return number_at(*a, "order") < number_at(*b, "order"); });
    for (const json* step : steps) {
        for (const json& item : list_at(*step, "ingredients"))
            if (std::string line = ingredient_line(item); !line.empty()) recipe.ingredients.push_back(std::move(line));
        if (std::string title = heading_line(text_at(*step, "name")); !title.empty())
            recipe.directions.push_back(std::move(title));
        for (std::string& line : markdown_lines(text_at(*step, "instruction")))
            recipe.directions.push_back(std::move(line));
    }
    set_source(recipe, "", text_at(row, "source_url"));
    apply_yield(recipe, joined_parts({text_at(row, "servings"), text_at(row, "servings_text")}));
    read_result result;
    if (!recipe.name.empty()) result.recipes.push_back(std::move(recipe));
    return result;
}
