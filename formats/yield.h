#pragma once
#include <string_view>

#include "formats/found_recipe.h"

// A recipe's yield as every format gives it, as text ("4", "4-6 servings",
// "Makes about 3 1/2 cups"). The servings come from it only when it is a
// count of servings: a plain number, a range (its first number), or a number
// with "servings", "serves", "portions", "people" or "persons" before or
// after it. Whenever the text says more than that number (a range, a unit,
// other words), it is kept, whole, as the first direction line
// "Yield: TEXT", so that nothing of it is lost. An empty yield changes
// nothing; servings already given are kept when the text holds no count.
void apply_yield(found_recipe& recipe, std::string_view yield);
