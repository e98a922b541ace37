#include "formats/fit_recipe.h"

#include <algorithm>

#include "formats/text_encoding.h"
#include "shell/fields.h"
#include "shell/text.h"

namespace {

constexpr size_t longest_text = max_text_field;  // what the field reader reads back

const std::string cut_size = with_thousands(longest_text);

// Windows-1252 on one line: quotes as two apostrophes, runs of blanks as one
// blank, none at either end.
std::string one_line(const std::string& utf8) {
    const std::string converted = utf8_to_windows_1252(utf8);
    std::string line;
    line.reserve(converted.size());
    for (char c : converted) {
        if (c == ' ' && (line.empty() || line.back() == ' ')) continue;
        if (c == '"')
            line += "''";
        else
            line += c;
    }
    if (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

// Keeps the first 4,096 bytes and says so when there were more.
std::string fitted_text(const std::string& utf8, const std::string& what, std::vector<std::string>& cuts) {
    std::string text = one_line(utf8);
    if (text.size() > longest_text) {
        text.resize(longest_text);
        cuts.push_back(what + " cut to " + cut_size + " bytes");
    }
    return text;
}

void fit_ingredients(const found_recipe& found, const left_out& extra, fitted_recipe& fitted) {
    uint64_t given = 0;
    for (const std::string& item : found.ingredients) {
        std::vector<std::string> cuts;
        std::string text = fitted_text(item, "ingredient " + std::to_string(given + 1), cuts);
        if (text.empty()) continue;
        ++given;
        if (fitted.dish.ingredient_count == max_recipe_items) continue;
        fitted.dish.ingredients[++fitted.dish.ingredient_count] = std::move(text);
        fitted.cuts.insert(fitted.cuts.end(), cuts.begin(), cuts.end());
    }
    given += extra.ingredients;
    if (given > max_recipe_items)
        fitted.cuts.push_back(with_thousands(given) + " ingredients, the first " +
                              std::to_string(max_recipe_items) + " kept");
}

// A line longer than a field holds, in pieces split at the last blank that
// lets each piece fit (or at the limit, where there is no such blank).
void split_line(const std::string& line, std::vector<std::string>& lines) {
    size_t start = 0;
    while (line.size() - start > longest_text) {
        size_t blank = line.rfind(' ', start + longest_text);
        const bool at_blank = blank != std::string::npos && blank > start;
        const size_t end = at_blank ? blank : start + longest_text;
        lines.push_back(line.substr(start, end - start));
        start = at_blank ? end + 1 : end;
    }
    lines.push_back(line.substr(start));
}

void fit_directions(const found_recipe& found, const left_out& extra, fitted_recipe& fitted) {
    std::vector<std::string> lines;
    for (const std::string& item : found.directions) {
        std::string line = one_line(item);
        if (!line.empty()) split_line(line, lines);
    }
    uint64_t cut = extra.direction_bytes;
    bool full = false;  // line 50 has no room for the next line
    uint8_t& count = fitted.dish.direction_count;
    for (std::string& line : lines) {
        std::string& last = fitted.dish.directions[max_recipe_items];
        if (count < max_recipe_items) {
            fitted.dish.directions[++count] = std::move(line);
        } else if (!full && last.size() + 1 + line.size() <= longest_text) {
            last += ' ';
            last += line;
        } else {
            full = true;
            cut += line.size();
        }
    }
    if (cut > 0) fitted.cuts.push_back("directions cut by " + with_thousands(cut) + " bytes");
}

}  // namespace

fitted_recipe fit_recipe(const found_recipe& found, const left_out& extra) {
    fitted_recipe fitted;
    recipe& dish = fitted.dish;
    dish.name = fitted_text(found.name, "name", fitted.cuts);
    dish.author = fitted_text(found.author, "author", fitted.cuts);
    dish.source = fitted_text(found.source, "source", fitted.cuts);
    dish.description = fitted_text(found.description, "description", fitted.cuts);
    dish.servings = std::max(found.servings, 0);
    fit_ingredients(found, extra, fitted);
    fit_directions(found, extra, fitted);
    return fitted;
}
