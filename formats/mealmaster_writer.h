#pragma once
#include <string>

#include "storage/recipe.h"

// Appends a recipe file in MealMaster's layout, as MealMaster programs read
// it: Windows-1252, CR LF line ends. The header gives the title (at most 60
// characters), the description as the categories and the servings as the
// yield; one column of ingredients follows (amount in columns 1-7, unit
// code in 9-10, text in 12-39, longer text continued on lines that start
// "-" in column 12), then each direction line as a paragraph wrapped at 79
// columns, "Author:" and "Source:" lines for those fields, and the end line.
void append_mealmaster_recipe(std::string& out, const recipe& dish);

// MealMaster's code for a unit word ("cup" gives "c", "Tbsp" "tb"); empty
// when the word is no unit MealMaster knows.
std::string mealmaster_unit(const std::string& word);
