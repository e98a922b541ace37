#include "formats/mealmaster_writer.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <utility>
#include <vector>

#include "formats/export_text.h"

namespace {

constexpr size_t title_width = 60;
constexpr size_t amount_width = 7;
constexpr size_t text_width = 28;  // columns 12-39: a reader looks for a second column at 42
constexpr size_t line_width = 79;

// Common spellings of units and the codes they become. The codes stand for
// themselves too; "t" and "T" (teaspoon, tablespoon) differ only by case.
const std::pair<std::string_view, std::string_view> unit_words[] = {
    {"x", "x"},         {"sm", "sm"},          {"small", "sm"},      {"md", "md"},          {"medium", "md"},
    {"lg", "lg"},       {"large", "lg"},       {"cn", "cn"},         {"can", "cn"},         {"cans", "cn"},
    {"pk", "pk"},       {"pkg", "pk"},         {"package", "pk"},    {"packages", "pk"},    {"pn", "pn"},
    {"pinch", "pn"},    {"dr", "dr"},          {"drop", "dr"},       {"drops", "dr"},       {"ds", "ds"},
    {"dash", "ds"},     {"ct", "ct"},          {"carton", "ct"},     {"bn", "bn"},          {"bunch", "bn"},
    {"sl", "sl"},       {"slice", "sl"},       {"slices", "sl"},     {"ea", "ea"},          {"each", "ea"},
    {"ts", "ts"},       {"tsp", "ts"},         {"teaspoon", "ts"},   {"teaspoons", "ts"},   {"tb", "tb"},
    {"tbsp", "tb"},     {"tbs", "tb"},         {"tablespoon", "tb"}, {"tablespoons", "tb"}, {"fl", "fl"},
    {"c", "c"},         {"cup", "c"},          {"cups", "c"},        {"pt", "pt"},          {"pint", "pt"},
    {"pints", "pt"},    {"qt", "qt"},          {"quart", "qt"},      {"quarts", "qt"},      {"ga", "ga"},
    {"gallon", "ga"},   {"oz", "oz"},          {"ounce", "oz"},      {"ounces", "oz"},      {"lb", "lb"},
    {"lbs", "lb"},      {"pound", "lb"},       {"pounds", "lb"},     {"ml", "ml"},          {"milliliter", "ml"},
    {"millilitre", "ml"}, {"cb", "cb"},        {"cl", "cl"},         {"dl", "dl"},          {"l", "l"},
    {"liter", "l"},     {"litre", "l"},        {"liters", "l"},      {"litres", "l"},       {"mg", "mg"},
    {"cg", "cg"},       {"dg", "dg"},          {"g", "g"},           {"gram", "g"},         {"grams", "g"},
    {"kg", "kg"},       {"kilogram", "kg"},    {"kilograms", "kg"},
};

bool is_amount(std::string_view word) {
    return !word.empty() && std::isdigit(static_cast<unsigned char>(word[0])) &&
           word.find_first_not_of("0123456789/.") == std::string_view::npos;
}

bool is_fraction(std::string_view word) {
    return is_amount(word) && word.find('/') != std::string_view::npos;
}

// The word at `at` and where the blank after it ends.
std::string_view word_at(std::string_view line, size_t& at) {
    const size_t start = line.find_first_not_of(' ', at);
    if (start == std::string_view::npos) {
        at = line.size();
        return {};
    }
    const size_t end = std::min(line.find(' ', start), line.size());
    at = end;
    return line.substr(start, end - start);
}

// Without blanks at its end, which readers drop anyway.
void add_line(std::string& out, std::string_view line) {
    out.append(line.substr(0, line.find_last_not_of(' ') + 1));
    out += "\r\n";
}

// A text's pieces of at most `width` characters, split at blanks (the blank
// is dropped: a reader joins the pieces with one) or, in a word longer than
// a piece, at the width.
std::vector<std::string_view> wrapped(std::string_view text, size_t width, size_t later_width) {
    std::vector<std::string_view> pieces;
    while (text.size() > width) {
        size_t cut = text.rfind(' ', width);
        if (cut == std::string_view::npos || cut == 0) cut = width;
        pieces.push_back(text.substr(0, cut));
        text.remove_prefix(cut);
        if (text.starts_with(' ')) text.remove_prefix(1);
        width = later_width;
    }
    if (!text.empty() || pieces.empty()) pieces.push_back(text);
    return pieces;
}

void add_ingredient(std::string& out, const std::string& item) {
    const std::string line = restored_quotes(item);
    size_t at = 0;
    std::string amount(word_at(line, at));
    std::string unit;
    if (is_amount(amount)) {
        size_t after = at;
        if (std::string_view next = word_at(line, after); is_fraction(next) && amount.find('/') == std::string::npos) {
            amount += ' ';
            amount += next;
            at = after;
        }
        unit = mealmaster_unit(std::string(word_at(line, at)));
    }
    std::string_view text = line;
    std::string start(amount_width + 4, ' ');
    if (!unit.empty() && amount.size() <= amount_width) {
        start.replace(amount_width - amount.size(), amount.size(), amount);
        start.replace(amount_width + 1, unit.size(), unit);
        text.remove_prefix(std::min(line.find_first_not_of(' ', at), line.size()));
    }
    const std::vector<std::string_view> pieces = wrapped(text, text_width, text_width - 1);
    for (size_t i = 0; i < pieces.size(); ++i) {
        std::string row = i == 0 ? start : std::string(amount_width + 4, ' ') + '-';
        row.append(pieces[i]);
        add_line(out, row);
    }
}

// A line that starts like a heading or the end line is set in by a blank,
// which readers trim, so that it stays text; every line leaves room for it.
void add_paragraph(std::string& out, const std::string& text) {
    add_line(out, "");
    for (std::string_view piece : wrapped(text, line_width - 1, line_width - 1)) {
        if (piece.starts_with("MMMMM") || piece.starts_with("-----")) add_line(out, std::string(" ").append(piece));
        else add_line(out, piece);
    }
}

}  // namespace

std::string mealmaster_unit(const std::string& word) {
    std::string_view bare = word;
    if (bare.size() > 1 && bare.back() == '.') bare.remove_suffix(1);
    if (bare == "t" || bare == "T") return std::string(bare);
    std::string lower(bare);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const auto& [spelling, code] : unit_words)
        if (lower == spelling) return std::string(code);
    return "";
}

void append_mealmaster_recipe(std::string& out, const recipe& dish) {
    add_line(out, "MMMMM----- Recipe via Meal-Master (tm) v8.05");
    add_line(out, "");
    std::string title = restored_quotes(dish.name);
    if (title.size() > title_width) title.resize(title_width);
    add_line(out, "      Title: " + title);
    add_line(out, " Categories: " + restored_quotes(dish.description));
    if (dish.servings > 0) add_line(out, "      Yield: " + std::to_string(dish.servings));
    add_line(out, "");
    for (int i = 1; i <= dish.ingredient_count; ++i) add_ingredient(out, dish.ingredients[i]);
    for (int i = 1; i <= dish.direction_count; ++i) add_paragraph(out, restored_quotes(dish.directions[i]));
    if (!dish.author.empty()) add_paragraph(out, "Author: " + restored_quotes(dish.author));
    if (!dish.source.empty()) add_paragraph(out, "Source: " + restored_quotes(dish.source));
    add_line(out, "");
    add_line(out, "MMMMM");
    add_line(out, "");
}
