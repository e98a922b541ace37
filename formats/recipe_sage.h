#pragma once
#include <string>
#include <string_view>

#include "formats/found_recipe.h"

// RecipeSage's JSON-LD export (an array of schema.org Recipes with its own
// fields), and a Nextcloud Cookbook recipe.json (one schema.org Recipe).
bool is_recipe_sage(std::string_view start, std::string_view file_name);
read_result read_recipe_sage(std::string_view bytes, const std::string& file_name);
bool is_nextcloud(std::string_view start, std::string_view file_name);
read_result read_nextcloud(std::string_view bytes, const std::string& file_name);
