#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "formats/found_recipe.h"
#include "storage/recipe.h"

// What a reader left out of a recipe of absurd size before it was fitted,
// so that the summary still says what was cut.
struct left_out {
    uint64_t ingredients = 0;      // items beyond the ones given
    uint64_t direction_bytes = 0;  // bytes of directions beyond the ones given
};

struct fitted_recipe {
    recipe dish;
    // What did not fit, in words: "61 ingredients, the first 50 kept".
    std::vector<std::string> cuts;
};

// A found recipe as a recipe file holds it: Windows-1252 texts of one line
// each with blanks collapsed, a double quote as two apostrophes (the field
// writer's rule, applied here so that lengths are measured as written),
// empty items dropped, at most 50 ingredients and 50 direction lines of at
// most 4,096 bytes. An over-long direction line is split at a blank;
// directions beyond 50 lines are joined onto line 50, one blank between,
// while it has room. Whatever still does not fit is cut and named in `cuts`.
fitted_recipe fit_recipe(const found_recipe& found, const left_out& extra = {});

