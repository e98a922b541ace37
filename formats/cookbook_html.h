#pragma once
#include <span>
#include <string>

#include "storage/recipe.h"
#include "storage/recipe_index.h"

// A printable cookbook: one HTML page in UTF-8 with its style sheet inside,
// no scripts and nothing fetched from elsewhere, every text escaped. A title
// page and a contents list come first, then the recipes, each starting a new
// page when printed and kept on one page when it fits.

// The page's head, the title page and the contents: a link to each listed
// recipe, numbered from 1 in the order given.
void append_cookbook_start(std::string& out, std::span<const index_entry> listed);
// The recipe with that number in the contents.
void append_cookbook_recipe(std::string& out, const recipe& dish, size_t number);
// In place of a listed recipe whose file could not be read, so that its
// line in the contents still leads somewhere.
void append_cookbook_gap(std::string& out, const index_entry& entry, size_t number);
void append_cookbook_end(std::string& out);
