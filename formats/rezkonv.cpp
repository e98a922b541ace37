#include "formats/rezkonv.h"

#include <algorithm>
#include <cctype>

#include "formats/export_fields.h"
#include "formats/charset.h"
#include "formats/yield.h"

namespace {

// Columns of an ingredient line: the amount right-aligned in the first
// seven, the unit from the ninth, the text from the nineteenth.
constexpr size_t unit_column = 8;
constexpr size_t text_column = 18;
// Lines are wrapped near 70 characters; a shorter one ends its paragraph,
// since German words are long.
constexpr size_t short_line = 45;

std::string_view trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string lower(std::string_view text) {
    std::string folded(text);
    std::transform(folded.begin(), folded.end(), folded.begin(), [](unsigned char c) { return std::tolower(c); });
    return folded;
}

bool is_header(std::string_view line) {
    return (line.starts_with("=====") || line.starts_with("MMMMM")) && lower(line).find("rezkonv") != std::string::npos;
}

bool is_end(std::string_view line) {
    line = trim(line);
    return line.size() >= 5 && (line.find_first_not_of('=') == std::string_view::npos ||
                                line.find_first_not_of('M') == std::string_view::npos);
}

// "====== TEIG ======": the words, or empty when the line is none.
std::string_view heading_of(std::string_view line) {
    line = trim(line);
    if (!line.starts_with("=====") || !line.ends_with("=====")) return {};
    return trim(line.substr(line.find_first_not_of('='), line.find_last_not_of('=') - line.find_first_not_of('=') + 1));
}

// "Titel: Zitronenreis" in the header: the value under one of the names.
bool take_field(std::string_view line, std::initializer_list<std::string_view> names, std::string_view& value) {
    line = trim(line);
    for (std::string_view name : names)
        if (line.starts_with(name) && line.substr(name.size()).starts_with(':')) {
            value = trim(line.substr(name.size() + 1));
            return true;
        }
    return false;
}

class recipe_reader {
public:
    explicit recipe_reader(read_result& result) : result(result) {}

    void add_line(std::string_view line) {
        if (is_header(line)) {
            finish();
            now = part::header;
            return;
        }
        if (now == part::outside) return;
        if (is_end(line)) {
            finish();
            return;
        }
        std::string_view value;
        if (now == part::header) {
            if (take_field(line, {"Titel", "Title"}, value)) recipe.name = value;
            else if (take_field(line, {"Menge", "Yield"}, value)) yield = value;
            else if (!trim(line).empty() && !take_field(line, {"Kategorien", "Categories"}, value)) now = part::ingredients;
            if (now == part::header) return;
        }
        if (const std::string_view heading = heading_of(line); !heading.empty()) {
            end_paragraph();
            if (lower(heading) == "quelle") {
                now = part::source;
            } else if (now == part::ingredients) {
                recipe.ingredients.push_back(heading_line(heading));
            } else {
                now = part::directions;
                recipe.directions.push_back(heading_line(heading));
            }
            return;
        }
        if (trim(line).empty()) {
            if (now == part::source && !source_lines.empty()) now = part::directions;
            end_paragraph();
            return;
        }
        if (now == part::source) {
            source_lines.emplace_back(trim(line));
            return;
        }
        // Ingredient lines are indented; directions start at the margin.
        if (now == part::ingredients && line.starts_with(' ')) {
            add_ingredient(line);
            return;
        }
        now = part::directions;
        paragraph.append(paragraph.empty() ? "" : " ").append(trim(line));
        if (trim(line).size() < short_line) end_paragraph();
    }

    void finish() {
        if (now == part::outside) return;
        end_paragraph();
        // "Erfasst *RK* ... von Ann" says who typed it in; other lines of the
        // block name where the recipe comes from.
        std::string source;
        for (const std::string& line : source_lines) {
            if (line.starts_with("Erfasst")) recipe.directions.push_back(line);
            else source += (source.empty() ? "" : ", ") + line;
        }
        set_source(recipe, source, "");
        apply_yield(recipe, yield);
        result.recipes.push_back(std::move(recipe));
        recipe = {};
        source_lines.clear();
        yield.clear();
        now = part::outside;
    }

private:
    enum class part { outside, header, ingredients, source, directions };

    void add_ingredient(std::string_view line) {
        const std::string_view amount = trim(line.substr(0, std::min(unit_column, line.size())));
        std::string_view unit, text;
        if (line.size() > unit_column) {
            std::string_view rest = line.substr(unit_column);
            // A unit longer than its column pushes the text right.
            size_t unit_end = text_column - unit_column;
            if (rest.size() > unit_end && rest[unit_end - 1] != ' ' && rest[0] != ' ')
                unit_end = std::min(rest.find(' '), rest.size());
            unit = trim(rest.substr(0, std::min(unit_end, rest.size())));
            text = trim(rest.substr(std::min(unit_end, rest.size())));
        }
        const bool continues = amount.empty() && unit.empty() && !recipe.ingredients.empty();
        if (continues && (text.starts_with('-') || text.starts_with(';'))) {
            recipe.ingredients.back().append(" ").append(trim(text.substr(1)));
        } else if (continues && text == "oder") {
            recipe.ingredients.back() += " oder";
        } else if (std::string joined = join_ingredient(amount, unit, text); !joined.empty()) {
            recipe.ingredients.push_back(joined);
        }
    }

    void end_paragraph() {
        if (!paragraph.empty()) recipe.directions.push_back(std::move(paragraph));
        paragraph.clear();
    }

    read_result& result;
    part now = part::outside;
    found_recipe recipe;
    std::string paragraph;
    std::string yield;
    std::vector<std::string> source_lines;
};

}  // namespace

bool is_rezkonv(std::string_view start, std::string_view) {
    for (size_t at = 0; at < start.size();) {
        const size_t end = std::min(start.find('\n', at), start.size());
        if (is_header(start.substr(at, end - at))) return true;
        at = end + 1;
    }
    return false;
}

read_result read_rezkonv(std::string_view bytes, const std::string&) {
    read_result result;
    const std::string text = text_to_utf8(without_byte_order_mark(bytes));
    recipe_reader reader(result);
    for (std::string_view rest = text; !rest.empty();) {
        const size_t end = std::min(rest.find('\n'), rest.size());
        std::string_view line = rest.substr(0, end);
        if (line.ends_with('\r')) line.remove_suffix(1);
        reader.add_line(line);
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    reader.finish();
    return result;
}
