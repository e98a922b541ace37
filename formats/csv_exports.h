#pragma once
#include <string>
#include <string_view>

#include "formats/found_recipe.h"

// Recipe managers that export a CSV table, a recipe a row, columns named by
// a header row.

// Plan to Eat: "Title,Course,Cuisine,...".
bool is_plan_to_eat(std::string_view start, std::string_view file_name);
read_result read_plan_to_eat(std::string_view bytes, const std::string& file_name);

// My Recipe Box: "title,description,preparationTime,...", its last column
// unnamed.
bool is_my_recipe_box(std::string_view start, std::string_view file_name);
read_result read_my_recipe_box(std::string_view bytes, const std::string& file_name);
