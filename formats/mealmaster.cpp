#include "formats/mealmaster.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

// Bounds on what one recipe keeps: far more than a recipe file holds, so
// that only recipes of absurd size lose anything here.
constexpr size_t kept_items = 1000;
constexpr size_t longest_item = 16384;
constexpr size_t kept_direction_bytes = size_t{1} << 20;

// The columns of an ingredient, counted in characters: amount in 1-7, unit
// in 9-10, text from 12; a second ingredient starts at column 42 in the
// same layout.
constexpr size_t amount_width = 7, unit_at = 8, text_at = 11, second_column_at = 41;

std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Where the character at a place (from 0) begins; the end when there is none.
size_t byte_of_char(std::string_view text, size_t place) {
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;  // inside a character
        if (place-- == 0) return i;
    }
    return text.size();
}

// `count` characters from the place `from`, as far as the text has them.
std::string_view chars(std::string_view text, size_t from, size_t count = std::string_view::npos) {
    text.remove_prefix(byte_of_char(text, from));
    return count == std::string_view::npos ? text : text.substr(0, byte_of_char(text, count));
}

bool starts_with_marker(std::string_view line) {
    return line.starts_with("MMMMM") || line.starts_with("-----");
}

bool is_end_line(std::string_view line) {
    const std::string_view text = line.substr(0, line.find_last_not_of(" \t") + 1);
    return text == "MMMMM" || text == "-----";
}

// The words of a heading line such as "MMMMM-----SAUCE-----"; not a heading: none.
std::optional<std::string> heading_words(std::string_view line) {
    if (!starts_with_marker(line) || is_end_line(line)) return std::nullopt;
    if (line.starts_with("MMMMM")) line.remove_prefix(5);
    const size_t first = line.find_first_not_of("- \t");
    if (first == std::string_view::npos) return std::string();
    return std::string(line.substr(first, line.find_last_not_of("- \t") - first + 1));
}

// The value after a header label such as "Title:", whatever the letter case.
std::optional<std::string_view> header_value(std::string_view line, std::string_view label) {
    if (line.size() < label.size()) return std::nullopt;
    for (size_t i = 0; i < label.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(line[i])) != std::tolower(static_cast<unsigned char>(label[i])))
            return std::nullopt;
    return trimmed(line.substr(label.size()));
}

// The first whole number in a text; 0 when there is none or it is too large.
int first_number(std::string_view text) {
    const size_t digit = text.find_first_of("0123456789");
    if (digit == std::string_view::npos) return 0;
    int value = 0;
    auto [end, failure] = std::from_chars(text.data() + digit, text.data() + text.size(), value);
    return failure == std::errc{} ? value : 0;
}

bool has_letter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
}

bool is_unit(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || std::isalpha(static_cast<unsigned char>(c)); });
}

bool blank_or_none(std::string_view character) {
    return character.empty() || character == " ";
}

// Whether a piece of a line is laid out in the ingredient columns: an
// amount (digits, fractions, no letters), a blank, a unit of letters, a blank.
bool in_columns(std::string_view piece) {
    return !has_letter(chars(piece, 0, amount_width)) && blank_or_none(chars(piece, amount_width, 1)) &&
           is_unit(chars(piece, unit_at, 2)) && blank_or_none(chars(piece, text_at - 1, 1));
}

// A line holds a second ingredient when column 41 is blank and what starts
// at column 42 is laid out in the columns: a long text that merely runs
// past column 42 has letters where the amount would be.
bool has_second_column(std::string_view line) {
    if (chars(line, second_column_at - 1, 1) != " ") return false;
    const std::string_view second = chars(line, second_column_at);
    return !trimmed(second).empty() && in_columns(second);
}

std::string collapsed(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\t') c = ' ';
        if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
        out += c;
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

}  // namespace

bool is_mealmaster_header(std::string_view line) {
    return starts_with_marker(line) && line.find("Meal-Master") != std::string_view::npos;
}

mealmaster_reader::mealmaster_reader(std::string source, recipe_handler handler)
    : source(std::move(source)), handler(std::move(handler)) {}

void mealmaster_reader::add_line(std::string_view line, uint64_t dropped) {
    if (is_mealmaster_header(line)) {
        end_recipe();
        start_recipe();
        return;
    }
    if (now == part::outside) return;
    if (is_end_line(line)) {
        end_recipe();
        return;
    }
    if (now == part::header) add_header_line(line);
    else if (now == part::ingredients) add_ingredient_line(line);
    else if (now == part::after_ingredients) add_line_after_ingredients(line, dropped);
    else add_direction_line(line, dropped);
}

void mealmaster_reader::finish() {
    end_recipe();
}

void mealmaster_reader::start_recipe() {
    now = part::header;
    recipe = {};
    recipe.source = source;
    extra = {};
    left_column_has_one = false;
    right_column.clear();
    pending_heading.reset();
    paragraph.clear();
    direction_bytes = 0;
}

void mealmaster_reader::end_recipe() {
    if (now == part::outside) return;
    end_ingredient_block();
    end_pending_heading();
    end_paragraph();
    now = part::outside;
    handler(std::move(recipe), extra);
}

// Title, categories and yield, with the blank lines around them; the first
// other line begins the ingredients.
void mealmaster_reader::add_header_line(std::string_view line) {
    const std::string_view text = trimmed(line);
    if (text.empty()) return;
    if (auto title = header_value(text, "Title:")) {
        if (recipe.name.empty()) recipe.name = *title;
    } else if (auto categories = header_value(text, "Categories:")) {
        recipe.description = *categories;
    } else if (auto yield = header_value(text, "Yield:")) {
        recipe.servings = first_number(*yield);
    } else if (auto servings = header_value(text, "Servings:")) {
        recipe.servings = first_number(*servings);
    } else {
        now = part::ingredients;
        add_ingredient_line(line);
    }
}

// Ingredient lines up to the first blank line. A block of them is read
// column by column: the left column as it comes, the right one at the
// block's end.
void mealmaster_reader::add_ingredient_line(std::string_view line) {
    if (trimmed(line).empty()) {
        end_ingredient_block();
        now = part::after_ingredients;
        return;
    }
    if (auto words = heading_words(line)) {
        end_ingredient_block();
        if (!words->empty()) add_ingredient({"", "", *words + ":"}, left_column_has_one);
        left_column_has_one = false;
        return;
    }
    const bool two = has_second_column(line);
    auto piece_of = [](std::string_view text) -> piece {
        if (!in_columns(text)) return {"", "", std::string(trimmed(text))};
        return {std::string(trimmed(chars(text, 0, amount_width))), std::string(trimmed(chars(text, unit_at, 2))),
                std::string(trimmed(chars(text, text_at)))};
    };
    add_ingredient(piece_of(two ? chars(line, 0, second_column_at) : line), left_column_has_one);
    if (two && right_column.size() < kept_items) right_column.push_back(piece_of(chars(line, second_column_at)));
    else if (two) ++extra.ingredients;
}

// Many files set a blank line before a heading such as "MMMMM-----SAUCE-----"
// that opens another group of ingredients. A heading right after the
// ingredients' blank line is held until the next line shows what follows:
// a line laid out in the ingredient columns continues the ingredients, any
// other text begins the directions, the heading then being their first line.
void mealmaster_reader::add_line_after_ingredients(std::string_view line, uint64_t dropped) {
    const bool blank = trimmed(line).empty();
    if (blank && !pending_heading) return;
    if (!pending_heading) {
        if ((pending_heading = heading_words(line))) return;
    } else if (!blank && in_columns(line)) {
        const std::string words = std::move(*pending_heading);
        pending_heading.reset();
        if (!words.empty()) add_ingredient({"", "", words + ":"}, left_column_has_one);
        now = part::ingredients;
        add_ingredient_line(line);
        return;
    }
    end_pending_heading();
    now = part::directions;
    add_direction_line(line, dropped);
}

void mealmaster_reader::end_pending_heading() {
    if (pending_heading && !pending_heading->empty()) add_direction(*pending_heading + ":");
    pending_heading.reset();
}

// "-" in front of a piece's text continues the ingredient above it in the
// same column; with none above, the piece is an ingredient of its own.
void mealmaster_reader::add_ingredient(const piece& item, bool& column_has_one) {
    if (item.amount.empty() && item.unit.empty() && item.text.empty()) return;
    const bool continues = item.amount.empty() && item.unit.empty() && item.text.starts_with("-");
    if (continues && column_has_one) {
        std::string rest = collapsed(trimmed(std::string_view(item.text).substr(1)));
        std::string& above = recipe.ingredients.back();
        if (!rest.empty() && above.size() + rest.size() < longest_item) above += " " + rest;
        return;
    }
    if (recipe.ingredients.size() == kept_items) {
        ++extra.ingredients;
        column_has_one = false;  // a continuation can't reach an item not kept
        return;
    }
    std::string joined = item.amount + " " + item.unit + " " + item.text;
    recipe.ingredients.push_back(collapsed(std::string_view(joined).substr(0, longest_item)));
    column_has_one = true;
}

void mealmaster_reader::end_ingredient_block() {
    bool right_has_one = false;
    for (const piece& item : right_column) add_ingredient(item, right_has_one);
    right_column.clear();
    left_column_has_one = false;
}

// Paragraphs joined into one line each; ":" in front of a line, or a
// heading, starts a new direction line.
void mealmaster_reader::add_direction_line(std::string_view line, uint64_t dropped) {
    extra.direction_bytes += dropped;
    const std::string_view text = trimmed(line);
    if (text.empty()) {
        end_paragraph();
        return;
    }
    if (auto words = heading_words(line)) {
        end_paragraph();
        if (!words->empty()) add_direction(*words + ":");
        return;
    }
    std::string_view rest = text;
    if (text[0] == ':') {
        end_paragraph();
        rest = trimmed(text.substr(1));
    }
    if (rest.empty()) return;
    if (direction_bytes + paragraph.size() + rest.size() + 1 > kept_direction_bytes) {
        extra.direction_bytes += rest.size();
        return;
    }
    if (!paragraph.empty()) paragraph += ' ';
    paragraph.append(rest);
}

void mealmaster_reader::add_direction(std::string text) {
    direction_bytes += text.size();
    recipe.directions.push_back(std::move(text));
}

void mealmaster_reader::end_paragraph() {
    if (!paragraph.empty()) add_direction(std::move(paragraph));
    paragraph.clear();
}
