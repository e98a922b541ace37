#pragma once
#include <cstdint>
#include <functional>
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
    // What the reader could not keep of lists of absurd length (a JSON list
    // keeps its first 1,000 items), so that the summary still counts it.
    uint64_t ingredients_left_out = 0;
    uint64_t direction_bytes_left_out = 0;
};

// Takes each recipe as a reader finds it, so that no list of them all is held.
using found_taker = std::function<void(found_recipe&&)>;

// What a reader found in one document.
struct read_result {
    std::vector<found_recipe> recipes;
    // One line for each part that could not be read (a JSON-LD block that
    // stays broken after repair, say); the rest of the document is still read.
    std::vector<std::string> notes;
    // Pictures the document holds (Paprika's photo_data), which are not kept.
    int pictures = 0;
};
