#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "import_recipes/found_recipe.h"

// schema.org Recipe data: JSON-LD and microdata in web pages, and JSON files.

struct schema_org_result {
    std::vector<found_recipe> recipes;
    // One line for each part that could not be read (a JSON-LD block that
    // stays broken after repair, say); the rest of the file is still read.
    std::vector<std::string> notes;
};

// A saved web page in any character set. file_name is the file's name
// without its directory, the source when nothing better is known.
schema_org_result read_recipe_page(std::string_view bytes, const std::string& file_name);
// A JSON file holding one or more Recipe objects.
schema_org_result read_recipe_json(std::string_view bytes, const std::string& file_name);
