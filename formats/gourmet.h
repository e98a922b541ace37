#pragma once
#include <string>
#include <string_view>

#include "formats/found_recipe.h"

// Gourmet's XML export (.grmt): root <gourmetDoc>, or <recipeDoc> in the
// older format, many recipes.
bool is_gourmet(std::string_view start, std::string_view file_name);
read_result read_gourmet(std::string_view bytes, const std::string& file_name);
