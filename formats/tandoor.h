#pragma once
#include <string>
#include <string_view>

#include "formats/found_recipe.h"

// Tandoor: an export zip holds a zip per recipe, each with its recipe.json.
bool is_tandoor(std::string_view start, std::string_view file_name);
read_result read_tandoor(std::string_view bytes, const std::string& file_name);
