#pragma once
#include <string>
#include <string_view>

#include "formats/found_recipe.h"

// The XML inside a MyCookbook (Cookmate) .mcb export: root
// <cookbook version>, many recipes.
bool is_my_cookbook(std::string_view start, std::string_view file_name);
read_result read_my_cookbook(std::string_view bytes, const std::string& file_name);
