#include "formats/mealmaster.h"

#include <cctype>

#include "formats/yield.h"

namespace {

// Bounds on what one recipe keeps: far more than a recipe file holds, so
// that only recipes of absurd size lose anything here.
constexpr size_t kept_items = 1000;
constexpr size_t longest_item = 16384;
constexpr size_t kept_direction_bytes = size_t{1} << 20;
constexpr size_t kept_yields = 2;  // a "Yield:" and a "Servings:" line

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

// "MMMMM", or five or more dashes, alone on the line.
bool is_end_line(std::string_view line) {
    const std::string_view text = trimmed(line);
    return text == "MMMMM" || (text.size() >= 5 && text.find_first_not_of('-') == std::string_view::npos);
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

// The code points of UTF-8 text; a broken sequence gives one that fits nothing.
template <typename each_code>
void for_each_code(std::string_view text, each_code each) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (size_t k = 1; k < length && i + k < text.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        each(code);
        i += length;
    }
}

// Digits, blanks, ".", "/", "-" and the fraction characters (¼ ½ ¾, ⅐ to ⅞).
bool is_amount(std::string_view text) {
    bool fits = true;
    for_each_code(text, [&](char32_t c) {
        const bool ascii = (c >= '0' && c <= '9') || c == ' ' || c == '.' || c == '/' || c == '-';
        fits = fits && (ascii || (c >= 0xBC && c <= 0xBE) || (c >= 0x2150 && c <= 0x215E));
    });
    return fits;
}

// MealMaster's unit codes; "t" and "T" are teaspoon and tablespoon.
constexpr std::string_view unit_codes[] = {"x",  "sm", "md", "lg", "cn", "pk", "pn", "dr", "ds", "ct", "bn", "sl",
                                           "ea", "t",  "ts", "T",  "tb", "fl", "c",  "pt", "qt", "ga", "oz", "lb",
                                           "ml", "cb", "cl", "dl", "l",  "mg", "cg", "dg", "g",  "kg"};

bool is_unit(std::string_view text) {
    if (text.empty()) return true;
    for (std::string_view code : unit_codes)
        if (text == code) return true;
    return false;
}

bool blank_or_none(std::string_view character) {
    return character.empty() || character == " ";
}

// Whether a piece of a line is laid out in the ingredient columns: an
// amount in 1-7, a blank, a unit code or blanks in 9-10, a blank.
bool in_columns(std::string_view piece) {
    return is_amount(chars(piece, 0, amount_width)) && blank_or_none(chars(piece, amount_width, 1)) &&
           is_unit(trimmed(chars(piece, unit_at, 2))) && blank_or_none(chars(piece, text_at - 1, 1));
}

// An ingredient line, or a "-" in the text column that continues one: what
// keeps a list going. A "- Mix well" at the margin is a direction.
bool is_list_item(std::string_view line) {
    return !trimmed(line).empty() && in_columns(line);
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

mealmaster_reader::mealmaster_reader(recipe_handler handler) : handler(std::move(handler)) {}

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
    if (now == part::header) add_header_line(line, dropped);
    else if (now == part::ingredients) add_list_line(line, dropped);
    else add_direction_line(line, dropped);
}

void mealmaster_reader::finish() {
    end_recipe();
}

void mealmaster_reader::start_recipe() {
    now = part::header;
    recipe = {};
    extra = {};
    left_column_has_one = false;
    right_column.clear();
    yields.clear();
    pending_headings.clear();
    paragraph.clear();
    direction_bytes = 0;
}

void mealmaster_reader::end_recipe() {
    if (now == part::outside) return;
    end_ingredient_block();
    for (std::string& heading : pending_headings) add_direction(std::move(heading));
    pending_headings.clear();
    end_paragraph();
    now = part::outside;
    for (auto yield = yields.rbegin(); yield != yields.rend(); ++yield) apply_yield(recipe, *yield);
    handler(std::move(recipe), extra);
}

// Title, categories and yield, with the blank lines around them; the first
// other line begins the list of ingredients.
void mealmaster_reader::add_header_line(std::string_view line, uint64_t dropped) {
    const std::string_view text = trimmed(line);
    if (text.empty()) return;
    if (auto title = header_value(text, "Title:")) {
        if (recipe.name.empty()) recipe.name = *title;
    } else if (auto categories = header_value(text, "Categories:")) {
        recipe.description = *categories;
    } else if (auto yield = header_value(text, "Yield:")) {
        if (yields.size() < kept_yields) yields.emplace_back(*yield);
    } else if (auto servings = header_value(text, "Servings:")) {
        if (yields.size() < kept_yields) yields.emplace_back(*servings);
    } else {
        now = part::ingredients;
        add_list_line(line, dropped);
    }
}

// The list is the run of ingredient lines, continuations, headings and blank
// lines that follows the header. Blank lines and headings are held until the
// next line shows what follows them: an ingredient line continues the list;
// anything else ends it and begins the directions, a held heading being
// their first line. So text first means a recipe without ingredients, and a
// line like an ingredient among the directions stays a direction.
void mealmaster_reader::add_list_line(std::string_view line, uint64_t dropped) {
    if (trimmed(line).empty()) {
        end_ingredient_block();
        return;
    }
    if (auto words = heading_words(line)) {
        end_ingredient_block();
        if (words->empty()) return;
        if (pending_headings.size() < kept_items) pending_headings.push_back(*words + ":");
        else ++extra.ingredients;
        return;
    }
    if (!is_list_item(line)) {
        end_ingredient_block();
        now = part::directions;
        for (std::string& heading : pending_headings) add_direction(std::move(heading));
        pending_headings.clear();
        add_direction_line(line, dropped);
        return;
    }
    for (const std::string& heading : pending_headings) add_ingredient({"", "", heading}, left_column_has_one);
    if (!pending_headings.empty()) left_column_has_one = false;
    pending_headings.clear();
    add_ingredient_line(line);
}

// A block of ingredient lines is read column by column: the left column as
// it comes, the right one at the block's end.
void mealmaster_reader::add_ingredient_line(std::string_view line) {
    const bool two = has_second_column(line);
    // Both columns are laid out alike: is_list_item and has_second_column saw to that.
    auto piece_of = [](std::string_view text) -> piece {
        return {std::string(trimmed(chars(text, 0, amount_width))), std::string(trimmed(chars(text, unit_at, 2))),
                std::string(trimmed(chars(text, text_at)))};
    };
    add_ingredient(piece_of(two ? chars(line, 0, second_column_at) : line), left_column_has_one);
    if (two && right_column.size() < kept_items) right_column.push_back(piece_of(chars(line, second_column_at)));
    else if (two) ++extra.ingredients;
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
    if (rest.empty() || take_field_line(rest)) return;
    if (direction_bytes + paragraph.size() + rest.size() + 1 > kept_direction_bytes) {
        extra.direction_bytes += rest.size();
        return;
    }
    if (!paragraph.empty()) paragraph += ' ';
    paragraph.append(rest);
}

// "Source: ..." gives the recipe's source, "From:", "Author:" or "Recipe
// by:" its author, when the field is still empty; the line then leaves the
// directions, so that a recipe written out and read in again stays the same.
bool mealmaster_reader::take_field_line(std::string_view text) {
    std::string* field = nullptr;
    std::optional<std::string_view> value;
    if ((value = header_value(text, "Source:"))) field = &recipe.source;
    else if ((value = header_value(text, "From:")) || (value = header_value(text, "Author:")) ||
             (value = header_value(text, "Recipe by:")))
        field = &recipe.author;
    if (!field || !field->empty() || value->empty()) return false;
    end_paragraph();
    *field = collapsed(value->substr(0, longest_item));
    return true;
}

void mealmaster_reader::add_direction(std::string text) {
    direction_bytes += text.size();
    recipe.directions.push_back(std::move(text));
}

void mealmaster_reader::end_paragraph() {
    if (!paragraph.empty()) add_direction(std::move(paragraph));
    paragraph.clear();
}
