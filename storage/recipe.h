#pragma once
#include <array>
#include <cstdint>
#include <string>

// One recipe file in memory. Ingredient i and direction line i sit in place
// i (1..50); place 0 is never used, and places above the counts are not part
// of the recipe.
constexpr int max_recipe_items = 50;

struct recipe {
    std::string name;
    std::string author;
    std::string source;
    std::string description;
    int32_t servings = 0;  // 0: not given
    uint8_t ingredient_count = 0;
    std::array<std::string, max_recipe_items + 1> ingredients;
    uint8_t direction_count = 0;
    std::array<std::string, max_recipe_items + 1> directions;
};

// The whole recipe. A file that cannot be opened reads as an empty recipe; a
// file that ends early gives empty texts and zero counts for what is missing.
// A count above 50 keeps the first 50 items, the others are read and dropped.
recipe read_recipe(const std::string& file_name);
// The whole recipe from a recipe file's bytes, read as read_recipe reads
// the file.
recipe recipe_from_bytes(const std::string& bytes);
// Only lines 1 and 2: name, author, source, description and servings.
recipe read_recipe_heading(const std::string& file_name);
// Everything up to the last ingredient; the directions are not read.
recipe read_recipe_ingredients(const std::string& file_name);

// The bytes of the recipe's file, as write_recipe writes them.
std::string recipe_file_bytes(const recipe& dish);
// Writes the whole file anew on file number 1 (at most 50 items of each
// list). The old file stays whole when the write fails; last_error() is then
// nonzero afterwards.
void write_recipe(const std::string& file_name, const recipe& dish);

// Whether an index entry's file name may be opened, copied, written or
// deleted: not empty, not absolute and without a ".." part. Other names
// count as a missing recipe file.
bool is_safe_file_name(const std::string& file_name);

// The recipe's name (Windows-1252) made fit to begin a file name in the
// program's directory: ASCII of at most 200 bytes, accented letters reduced
// to their base letter ("K\xe4se" to "Kase", "\xdf" to "ss", "\xc6" to "AE"),
// other characters beyond ASCII left out, "_" for separators, control bytes
// and the characters shells and the zip tool treat specially, and for a
// leading "." or "-". Room is left for a number and ".rcp" after it.
std::string recipe_file_name_part(const std::string& name);

// A name "<whole seconds of timer_seconds()>.rcp" that no file has yet; while
// the name is taken it waits for the clock's next second.
std::string make_recipe_file_name();
