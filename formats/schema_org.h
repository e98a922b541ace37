#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/found_recipe.h"

// schema.org Recipe data: JSON-LD and microdata in web pages, and JSON files.
// Each recipe goes to `take` as it is found (result_bytes.h); without one,
// the result holds them. The reading is done in a child process, and
// `release` frees the bytes here once the child has them.

// A saved web page in any character set. The file's name (the format
// list's second argument) never becomes the source.
read_result read_recipe_page(std::string_view bytes, const std::string& file_name, const found_taker& take = {},
                             const std::function<void()>& release = {});
// A JSON file holding one or more Recipe objects.
read_result read_recipe_json(std::string_view bytes, const std::string& file_name, const found_taker& take = {},
                             const std::function<void()>& release = {});
