#pragma once
#include <string>
#include <string_view>

#include "formats/found_recipe.h"

// RezKonv text (RezkonvSuite's German export, much like MealMaster): many
// recipes in one file, each from a "=====REZKONV..." line to a line of "=".
bool is_rezkonv(std::string_view start, std::string_view file_name);
read_result read_rezkonv(std::string_view bytes, const std::string& file_name);
