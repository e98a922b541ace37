#include "formats/csv_exports.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "formats/csv.h"
#include "formats/export_fields.h"
#include "formats/web_address.h"
#include "formats/charset.h"
#include "formats/yield.h"

namespace {

std::string_view first_line(std::string_view start) {
    return start.substr(0, start.find_first_of("\r\n"));
}

bool is_empty(const csv_row& row) {
    return std::all_of(row.begin(), row.end(), [](const std::string& field) { return field.empty(); });
}

// A field that should be one line, its line breaks made blanks.
std::string single_line(std::string_view text) {
    std::string line;
    for (const std::string& part : text_lines(text)) line += (line.empty() ? "" : " ") + part;
    return line;
}

// Every row under the header, with the header.
template <typename Read>
read_result read_rows(std::string_view bytes, Read&& read_row) {
    read_result result;
    std::optional<csv_header> header;
    read_csv_rows(text_to_utf8(without_byte_order_mark(bytes)), [&](csv_row&& row) {
        if (!header) header = csv_header{std::move(row)};
        else if (!is_empty(row)) result.recipes.push_back(read_row(*header, row));
    });
    return result;
}

// ---- Plan to Eat

found_recipe read_plan_to_eat_row(const csv_header& header, const csv_row& row) {
    found_recipe recipe;
    recipe.name = single_line(header.field(row, "Title"));
    recipe.description = single_line(header.field(row, "Description"));
    for (const std::string& line : text_lines(header.field(row, "Ingredients")))
        // ", Heading" is how it writes a group heading.
        recipe.ingredients.push_back(line.starts_with(',') ? heading_line(line.substr(1)) : line);
    recipe.directions = text_lines(header.field(row, "Directions"));
    set_source(recipe, header.field(row, "Source"), header.field(row, "Url"));
    apply_yield(recipe, header.field(row, "Yield"));
    apply_yield(recipe, header.field(row, "Servings"));
    return recipe;
}

// ---- My Recipe Box

bool is_web_address(std::string_view text) {
    return !absolute_url(text).empty();
}

bool is_picture_address(std::string_view url) {
    std::string path(url.substr(0, url.find_first_of("?#")));
    std::transform(path.begin(), path.end(), path.begin(), [](unsigned char c) { return std::tolower(c); });
    for (std::string_view ending : {".jpg", ".jpeg", ".png", ".gif", ".webp", ".heic"})
        if (path.ends_with(ending)) return true;
    return false;
}

found_recipe read_my_recipe_box_row(const csv_header& header, const csv_row& row) {
    found_recipe recipe;
    recipe.name = single_line(header.field(row, "title"));
    recipe.description = single_line(header.field(row, "description"));
    recipe.ingredients = text_lines(header.field(row, "ingredients"));
    recipe.directions = text_paragraphs(header.field(row, "instructions"));
    add_notes(recipe, text_lines(header.field(row, "notes")));
    // Many rows are shifted: the page's address under originalPicture, the
    // picture's in the unnamed last column. Each address is told by what it
    // points at.
    std::string_view source = header.field(row, "source"), url;
    for (std::string_view cell : {source, header.field(row, "originalPicture"), header.field(row, "")})
        if (is_web_address(cell) && !is_picture_address(cell) && url.empty()) url = cell;
    if (is_web_address(source)) source = {};
    set_source(recipe, source, url);
    apply_yield(recipe, header.field(row, "quantity"));
    return recipe;
}

}  // namespace

bool is_plan_to_eat(std::string_view start, std::string_view) {
    const std::string_view header = first_line(start);
    return header.starts_with("Title,") && header.find(",Ingredients,") != std::string_view::npos &&
           header.find(",Directions") != std::string_view::npos;
}

read_result read_plan_to_eat(std::string_view bytes, const std::string&) {
    return read_rows(bytes, read_plan_to_eat_row);
}

bool is_my_recipe_box(std::string_view start, std::string_view) {
    return first_line(start).starts_with("title,description,preparationTime,cookingTime,inactiveTime,totalTime,"
                                         "quantity,ingredients,instructions,");
}

read_result read_my_recipe_box(std::string_view bytes, const std::string&) {
    return read_rows(bytes, read_my_recipe_box_row);
}
