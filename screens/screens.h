#pragma once
#include <cstdint>
#include <string>

// One function per screen. Each is entered with the 250x450 window and its
// 30 x 27 text grid open and leaves them open when it returns.

void add_recipe();
void show_favourites();
void browse_recipes();
// mode: 1 names, 2 authors, 3 sources, 4 ingredients
void search_recipes(uint8_t mode);
void remove_recipes();
void import_recipe(const std::string& path);
void view_recipe(const std::string& file_name);
void export_recipe(const std::string& file_name);
// Takes the name as a copy: callers pass a field of the in-memory index,
// which the editor's index update loads anew.
void edit_recipe(std::string file_name);
