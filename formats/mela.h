#pragma once
#include <string>
#include <string_view>

#include "formats/found_recipe.h"

// Mela: one recipe a JSON file (.melarecipe), zipped together, zips nested.
bool is_mela(std::string_view start, std::string_view file_name);
read_result read_mela(std::string_view bytes, const std::string& file_name);
