#pragma once
#include <string>
#include <string_view>

#include "formats/found_recipe.h"

// Copy Me That's export: recipes.html, every recipe a <div class="recipe">
// whose parts are told by id (name, original_link, recipeYield,
// description, recipeIngredients, recipeInstructions, recipeNotes), ids that
// repeat from recipe to recipe.
bool is_copy_me_that(std::string_view start, std::string_view file_name);
read_result read_copy_me_that(std::string_view bytes, const std::string& file_name);
