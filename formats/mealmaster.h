#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/fit_recipe.h"
#include "formats/found_recipe.h"

// MealMaster text, given line by line: many recipes in one file, text
// between them ignored. Each recipe is handed on as soon as it ends, so a
// file of any size costs the memory of one recipe at most, and a recipe of
// absurd size keeps only a bounded part (the rest is counted in left_out).
class mealmaster_reader {
public:
    using recipe_handler = std::function<void(found_recipe&&, const left_out&)>;
    explicit mealmaster_reader(recipe_handler handler);
    // One line in UTF-8 without its line end, of which `dropped` bytes were
    // left out.
    void add_line(std::string_view line, uint64_t dropped = 0);
    // The end of the file, which also ends a recipe without an end line.
    void finish();

private:
    enum class part { outside, header, ingredients, directions };
    struct piece {
        std::string amount, unit, text;
    };

    void start_recipe();
    void end_recipe();
    void add_header_line(std::string_view line, uint64_t dropped);
    void add_list_line(std::string_view line, uint64_t dropped);
    void add_ingredient_line(std::string_view line);
    void add_ingredient(const piece& item, bool& column_has_one);
    void end_ingredient_block();
    void add_direction_line(std::string_view line, uint64_t dropped);
    bool take_field_line(std::string_view text);
    void add_direction(std::string text);
    void end_paragraph();

    recipe_handler handler;
    part now = part::outside;
    found_recipe recipe;
    left_out extra;
    bool left_column_has_one = false;  // an ingredient above in this block's left column
    std::vector<piece> right_column;   // the block's right column, read after the left one
    std::vector<std::string> yields;   // the header's yield and servings texts
    std::vector<std::string> pending_headings;  // headings in the list whose group the next line tells
    std::string paragraph;
    size_t direction_bytes = 0;
};

// Whether a line begins a MealMaster recipe.
bool is_mealmaster_header(std::string_view line);
