#pragma once
#include <string>
#include <vector>

// A recipe as another format gives it: UTF-8 texts of any length and lists
// of any size, already cleaned of markup. The importer fits it into a recipe
// file afterwards (character set, 50 items, 4,096 bytes a line).
struct found_recipe {
    std::string name;
    std::string author;
    std::string source;
    std::string description;
    int servings = 0;  // 0: not given
    std::vector<std::string> ingredients;
    std::vector<std::string> directions;
};
