#pragma once
#include <string>
#include <string_view>

#include "formats/found_recipe.h"

// Chowdown: a Markdown file a recipe, its fields in YAML front matter
// ("layout: recipe"), its description the Markdown after it.
bool is_chowdown(std::string_view start, std::string_view file_name);
read_result read_chowdown(std::string_view bytes, const std::string& file_name);

// YAML front matter: the text between a first line "---" and the next line
// "---" (or "..."), and what follows it.
struct front_matter {
    bool found = false;
    std::string_view yaml;
    std::string_view body;
};
front_matter split_front_matter(std::string_view text);

// Markdown made plain text: heading marks, emphasis marks and link targets
// dropped, each list item a line of its own.
std::string markdown_to_plain(std::string_view markdown);
