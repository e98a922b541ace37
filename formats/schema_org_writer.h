#pragma once
#include <string>

#include "storage/recipe.h"

// Appends a recipe file as a schema.org Recipe object in compact JSON, in
// the shape that other recipe programs and the importer read: name, author
// (a Person), publisher (an Organization named by the source), recipeYield
// (the servings as a number), description, recipeIngredient (one string a
// line) and recipeInstructions (one HowToStep a direction line). What is
// empty, and servings of 0, are left out. Texts are UTF-8.
void append_schema_org_recipe(std::string& out, const recipe& dish);
