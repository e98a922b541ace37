#pragma once
#include <string>
#include <string_view>

#include "formats/found_recipe.h"

// Paprika: one recipe a JSON object, each gzipped (the archive layer unpacks
// it), a bundle being a zip of them.
bool is_paprika(std::string_view start, std::string_view file_name);
read_result read_paprika(std::string_view bytes, const std::string& file_name);
