#include "formats/mela.h"

#include <algorithm>

#include "formats/export_fields.h"
#include "formats/json_fields.h"
#include "formats/markdown_text.h"
#include "formats/yield.h"

using nlohmann::json;

bool is_mela(std::string_view start, std::string_view) {
    return opens_with(start, '{') && names_key(start, "id") && names_key(start, "title") &&
           (names_text(start, "ingredients") || names_text(start, "instructions"));
}

read_result read_mela(std::string_view bytes, const std::string&) {
    const std::optional<json> value = parse_export_json(bytes);
    if (!value || !value->is_object()) return {{}, {"not a Mela recipe: the JSON could not be read"}};
    const json& row = *value;
    found_recipe recipe;
    recipe.name = joined_parts({text_at(row, "title")});
    recipe.description = joined_parts({text_at(row, "text")});
    // A line starting "#" titles a group of ingredients.
    for (std::string& line : plain_lines(text_at(row, "ingredients"))) {
        if (line.starts_with('#')) line = heading_line(line.substr(std::min(line.find_first_not_of("# "), line.size())));
        if (!line.empty()) recipe.ingredients.push_back(std::move(line));
    }
    recipe.directions = markdown_lines(text_at(row, "instructions"));
    add_notes(recipe, markdown_lines(text_at(row, "notes")));
    const std::string link = text_at(row, "link");
    const bool address = link.find("://") != std::string::npos;
    set_source(recipe, address ? "" : link, address ? link : "");
    apply_yield(recipe, text_at(row, "yield"));
    read_result result;
    if (const auto images = row.find("images"); images != row.end() && images->is_array())
        result.pictures = images->empty() ? 0 : 1;
    if (!recipe.name.empty()) result.recipes.push_back(std::move(recipe));
    return result;
}
