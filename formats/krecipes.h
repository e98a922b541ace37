#pragma once
#include <string>
#include <string_view>

#include "formats/found_recipe.h"

// KRecipes' XML export (.kreml): root <krecipes>, many recipes.
bool is_krecipes(std::string_view start, std::string_view file_name);
read_result read_krecipes(std::string_view bytes, const std::string& file_name);
