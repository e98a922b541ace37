#include "formats/mealie.h"

#include <algorithm>
#include <unordered_map>

#include "formats/export_fields.h"
#include "formats/json_fields.h"
#include "formats/markdown_text.h"
#include "formats/yield.h"

using nlohmann::json;

namespace {

// Ids come with and without hyphens, in either letter case.
std::string id_of(const json& row, const char* key) {
    std::string id;
    for (char c : text_at(row, key))
        if (c != '-') id += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return id;
}

const json& table(const json& database, const char* name) {
    static const json none = json::array();
    const json& rows = member_at(database, name);
    return rows.is_array() ? rows : none;
}

using names_by_id = std::unordered_map<std::string, std::string>;
using rows_by_recipe = std::unordered_map<std::string, std::vector<const json*>>;

names_by_id names_of(const json& rows, const char* name_key) {
    names_by_id names;
    for (const json& row : rows) names[id_of(row, "id")] = text_at(row, name_key);
    return names;
}

rows_by_recipe rows_of(const json& rows) {
    rows_by_recipe by_recipe;
    for (const json& row : rows) by_recipe[id_of(row, "recipe_id")].push_back(&row);
    for (auto& [id, list] : by_recipe)
        std::stable_sort(list.begin(), list.end(),
                         [](const json* a, const json* b) { return number_at(*a, "position") < number_at(*b, "position"); });
    return by_recipe;
}

const std::vector<const json*>& rows_for(const rows_by_recipe& rows, const std::string& id) {
    static const std::vector<const json*> none;
    const auto found = rows.find(id);
    return found == rows.end() ? none : found->second;
}

// A unit or food as an object with a name, a plain name, or null.
std::string name_in(const json& row, const char* key) {
    const json& named = member_at(row, key);
    return named.is_object() ? text_at(named, "name") : text_at(row, key);
}

// Without a food the whole line is in the note and the quantity is a dummy 1.
void add_ingredient(found_recipe& recipe, const json& row, const std::string& unit, const std::string& food) {
    if (const std::string title = text_at(row, "title"); !heading_line(title).empty())
        recipe.ingredients.push_back(heading_line(title));
    std::string line;
    if (food.empty()) {
        line = joined_parts({text_at(row, "note")});
        if (line.empty()) line = joined_parts({text_at(row, "original_text")});
    } else {
        line = joined_parts({amount_text(number_at(row, "quantity")), unit, food, text_at(row, "note")});
    }
    if (!line.empty()) recipe.ingredients.push_back(std::move(line));
}

void add_step(found_recipe& recipe, const json& row) {
    if (const std::string title = heading_line(text_at(row, "title")); !title.empty())
        recipe.directions.push_back(title);
    for (std::string& line : markdown_lines(text_at(row, "text"))) recipe.directions.push_back(std::move(line));
}

std::vector<std::string> notes_in(const std::vector<const json*>& rows) {
    std::vector<std::string> notes;
    for (const json* row : rows) {
        if (const std::string title = heading_line(text_at(*row, "title")); !title.empty()) notes.push_back(title);
        for (std::string& line : markdown_lines(text_at(*row, "text"))) notes.push_back(std::move(line));
    }
    return notes;
}

void finish_recipe(found_recipe& recipe, const json& row, const std::vector<std::string>& notes) {
    add_notes(recipe, notes);
    set_source(recipe, "", text_at(row, "org_url"));
    apply_yield(recipe, text_at(row, "recipe_yield"));
    if (recipe.servings == 0) recipe.servings = static_cast<int>(std::max(0.0, number_at(row, "recipe_servings")));
}

}  // namespace

bool is_mealie_backup(std::string_view start, std::string_view file_name) {
    return opens_with(start, '{') && (names_key(start, "alembic_version") ||
                                      (file_name == "database.json" && names_key(start, "recipes_ingredients")));
}

read_result read_mealie_backup(std::string_view bytes, const std::string&) {
    const std::optional<json> database = parse_export_json(bytes);
    if (!database || !database->is_object()) return {{}, {"not a Mealie backup: the JSON could not be read"}};
    const names_by_id users = names_of(table(*database, "users"), "full_name");
    const names_by_id units = names_of(table(*database, "ingredient_units"), "name");
    const names_by_id foods = names_of(table(*database, "ingredient_foods"), "name");
    const rows_by_recipe ingredients = rows_of(table(*database, "recipes_ingredients"));
    const rows_by_recipe steps = rows_of(table(*database, "recipe_instructions"));
    const rows_by_recipe notes = rows_of(table(*database, "notes"));
    const auto name_for = [](const names_by_id& names, const std::string& id) {
        const auto found = names.find(id);
        return found == names.end() ? std::string() : found->second;
    };

    read_result result;
    for (const json& row : table(*database, "recipes")) {
        const std::string id = id_of(row, "id");
        found_recipe recipe;
        recipe.name = joined_parts({text_at(row, "name")});
        recipe.author = joined_parts({name_for(users, id_of(row, "user_id"))});
        recipe.description = joined_parts({text_at(row, "description")});
        for (const json* each : rows_for(ingredients, id))
            add_ingredient(recipe, *each, name_for(units, id_of(*each, "unit_id")), name_for(foods, id_of(*each, "food_id")));
        for (const json* each : rows_for(steps, id)) add_step(recipe, *each);
        finish_recipe(recipe, row, notes_in(rows_for(notes, id)));
        result.recipes.push_back(std::move(recipe));
    }
    return result;
}

bool is_mealie_recipe(std::string_view start, std::string_view) {
    return opens_with(start, '{') && names_key(start, "slug") &&
           (names_key(start, "recipe_ingredient") || names_key(start, "recipeIngredient"));
}

read_result read_mealie_recipe(std::string_view bytes, const std::string&) {
    const std::optional<json> value = parse_export_json(bytes);
    if (!value || !value->is_object()) return {{}, {"not a Mealie recipe: the JSON could not be read"}};
    const json& row = *value;
    found_recipe recipe;
    recipe.name = joined_parts({text_at(row, "name")});
    if (recipe.name.empty()) recipe.name = joined_parts({text_at(row, "title")});
    recipe.description = joined_parts({text_at(row, "description")});
    const auto list = [&](const char* key, const char* older) -> const json& {
        static const json none = json::array();
        for (const char* name : {key, older})
            if (const auto found = row.find(name); found != row.end() && found->is_array()) return *found;
        return none;
    };
    for (const json& each : list("recipe_ingredient", "ingredients")) {
        if (each.is_string()) {
            if (std::string line = joined_parts({each.get<std::string>()}); !line.empty())
                recipe.ingredients.push_back(std::move(line));
            continue;
        }
        add_ingredient(recipe, each, name_in(each, "unit"), name_in(each, "food"));
    }
    for (const json& each : list("recipe_instructions", "directions")) {
        if (each.is_string()) {
            for (std::string& line : markdown_lines(each.get<std::string>())) recipe.directions.push_back(std::move(line));
            continue;
        }
        add_step(recipe, each);
    }
    std::vector<const json*> note_rows;
    for (const json& each : list("notes", "notes")) note_rows.push_back(&each);
    finish_recipe(recipe, row, notes_in(note_rows));
    read_result result;
    if (!recipe.name.empty()) result.recipes.push_back(std::move(recipe));
    return result;
}
