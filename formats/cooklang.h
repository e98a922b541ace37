#pragma once
#include <string>
#include <string_view>

#include "formats/found_recipe.h"

// Cooklang (.cook): one recipe a file, its steps marked up inline
// ("@rice{1%cup}", "#pot{}", "~{15%minutes}"), its metadata in ">> key:
// value" lines or YAML front matter.
bool is_cooklang(std::string_view start, std::string_view file_name);
read_result read_cooklang(std::string_view bytes, const std::string& file_name);
