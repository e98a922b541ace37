#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "formats/found_recipe.h"

// schema.org Recipe data: JSON-LD and microdata in web pages, and JSON files.

// A saved web page in any character set. file_name is the file's name
// without its directory, the source when nothing better is known.
read_result read_recipe_page(std::string_view bytes, const std::string& file_name);
// A JSON file holding one or more Recipe objects.
read_result read_recipe_json(std::string_view bytes, const std::string& file_name);
