#pragma once
#include <string>
#include <string_view>

#include "formats/found_recipe.h"

// Mealie: the backup's database.json (tables of rows joined by id), and the
// older exports of one JSON file a recipe.
bool is_mealie_backup(std::string_view start, std::string_view file_name);
read_result read_mealie_backup(std::string_view bytes, const std::string& file_name);
bool is_mealie_recipe(std::string_view start, std::string_view file_name);
read_result read_mealie_recipe(std::string_view bytes, const std::string& file_name);
