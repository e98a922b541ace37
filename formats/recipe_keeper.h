#pragma once
#include <string>
#include <string_view>

#include "formats/found_recipe.h"

// Recipe Keeper's export: recipes.html, every recipe a
// <div class="recipe-details"> whose parts are told by itemprop, with names
// of its own beside schema.org's (recipeSource, recipeIngredients,
// recipeDirections, recipeNotes).
bool is_recipe_keeper(std::string_view start, std::string_view file_name);
read_result read_recipe_keeper(std::string_view bytes, const std::string& file_name);
