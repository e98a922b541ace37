#include "formats/cooklang.h"

#include <yaml-cpp/yaml.h>

#include <cctype>
#include <set>

#include "formats/chowdown.h"
#include "formats/export_fields.h"
#include "formats/charset.h"
#include "formats/yield.h"

namespace {

std::string_view trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool is_word_char(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return std::isalnum(byte) || c == '_' || c == '-' || byte >= 0x80;
}

// One "@", "#" or "~" item: its name, and what its braces held.
struct token {
    std::string_view name, braces;
    bool has_braces = false;
    size_t end = 0;  // just past it
};

// An item at `at` (the position after its mark). Names of several words
// need braces; a single word stands alone.
token take_token(std::string_view text, size_t at) {
    token found;
    // Every search stops at the next mark or brace, so that reading a
    // text costs time in proportion to its length, however it is marked.
    const size_t open = text.find_first_of("@#~{}\n.,;:!?", at);
    if (open != std::string_view::npos && text[open] == '{') {
        const size_t close = text.find_first_of("{}\n", open + 1);
        if (close != std::string_view::npos && text[close] == '}') {
            found.name = trim(text.substr(at, open - at));
            found.braces = text.substr(open + 1, close - open - 1);
            found.has_braces = true;
            found.end = close + 1;
            return found;
        }
    }
    size_t end = at;
    while (end < text.size() && is_word_char(text[end])) ++end;
    found.name = text.substr(at, end - at);
    found.end = end;
    return found;
}

// "2 1/2%cups" as amount and unit; "=" marks a quantity that does not scale.
std::pair<std::string_view, std::string_view> quantity_of(std::string_view braces) {
    const size_t percent = braces.find('%');
    std::string_view amount = trim(braces.substr(0, percent));
    if (amount.starts_with('=')) amount = trim(amount.substr(1));
    return {amount, percent == std::string_view::npos ? std::string_view() : trim(braces.substr(percent + 1))};
}

// Comments out: "--" to the end of its line, "[- ... -]" anywhere.
std::string without_comments(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i).starts_with("[-")) {
            const size_t end = text.find("-]", i + 2);
            if (end == std::string_view::npos) break;
            i = end + 1;
        } else if (text.substr(i).starts_with("--")) {
            i = std::min(text.find('\n', i), text.size()) - 1;
        } else {
            out += text[i];
        }
    }
    return out;
}

struct step_reader {
    found_recipe& recipe;
    std::set<std::string, std::less<>> named;

    // A paragraph's text with its markup made words; its ingredients listed.
    std::string plain_step(std::string_view text) {
        std::string out;
        for (size_t i = 0; i < text.size(); ++i) {
            const char mark = text[i];
            if ((mark != '@' && mark != '#' && mark != '~') || i + 1 >= text.size()) {
                out += mark;
                continue;
            }
            const token item = take_token(text, i + 1);
            if (item.end == i + 1) {
                out += mark;
                continue;
            }
            const auto [amount, unit] = quantity_of(item.braces);
            if (mark == '@') add_ingredient(item.name, amount, unit);
            if (mark == '~') out += join_ingredient(amount, unit, "");  // a timer shows its time
            else out += item.name;
            i = item.end - 1;
        }
        return out;
    }

    // A food named again is listed again only with a quantity of its own.
    void add_ingredient(std::string_view name, std::string_view amount, std::string_view unit) {
        const bool seen = named.contains(name);
        if (seen && amount.empty() && unit.empty()) return;
        if (!seen) named.emplace(name);
        recipe.ingredients.push_back(join_ingredient(amount, unit, name));
    }
};

std::string file_title(std::string_view file_name) {
    if (file_name.ends_with(".cook")) file_name.remove_suffix(5);
    return std::string(file_name);
}

void add_metadata(found_recipe& recipe, std::string_view key, std::string_view value, std::string& source,
                  std::string& yield) {
    if (key == "title") recipe.name = value;
    else if (key == "author") recipe.author = value;
    else if (key == "description") recipe.description = value;
    else if (key == "source" || key == "source.url" || key == "url") source = value;
    else if (key == "serves" || key == "servings" || key == "yield") yield = value;
}

}  // namespace

bool is_cooklang(std::string_view start, std::string_view file_name) {
    if (file_name.ends_with(".cook")) return true;
    if (start.starts_with('<') || start.starts_with('{') || start.starts_with('[')) return false;
    // Metadata lines alone prove nothing: mail quotes lines with ">> ".
    for (size_t at = start.find('@'); at != std::string_view::npos; at = start.find('@', at + 1)) {
        const token item = take_token(start, at + 1);
        if (item.has_braces && !item.name.empty()) return true;
    }
    return false;
}

read_result read_cooklang(std::string_view bytes, const std::string& file_name) {
    read_result result;
    std::string text = text_to_utf8(without_byte_order_mark(bytes));
    found_recipe recipe;
    std::string source, yield;
    const front_matter parts = split_front_matter(text);
    if (parts.found) {
        try {
            const YAML::Node fields = YAML::Load(std::string(parts.yaml));
            if (fields.IsMap())
                for (const auto& pair : fields)
                    if (pair.first.IsScalar() && pair.second.IsScalar())
                        add_metadata(recipe, pair.first.Scalar(), trim(pair.second.Scalar()), source, yield);
        } catch (const YAML::Exception& failure) {
            result.notes.push_back("The front matter could not be read: " + failure.msg + ".");
        }
        text = std::string(parts.body);
    }
    step_reader steps{recipe, {}};
    std::string paragraph;
    auto end_paragraph = [&] {
        if (std::string step(trim(steps.plain_step(paragraph))); !step.empty()) recipe.directions.push_back(step);
        paragraph.clear();
    };
    const std::string plain = without_comments(text);
    for (std::string_view rest = plain; !rest.empty();) {
        const size_t end = std::min(rest.find('\n'), rest.size());
        const std::string_view line = trim(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (line.starts_with(">>")) {
            const std::string_view pair = line.substr(2);
            const size_t colon = pair.find(':');
            if (colon != std::string_view::npos)
                add_metadata(recipe, trim(pair.substr(0, colon)), trim(pair.substr(colon + 1)), source, yield);
        } else if (line.starts_with('=')) {
            // "= Dough =": a section of the steps.
            end_paragraph();
            const size_t first = line.find_first_not_of("= "), last = line.find_last_not_of("= ");
            if (first != std::string_view::npos) recipe.directions.push_back(heading_line(line.substr(first, last - first + 1)));
        } else if (line.empty()) {
            end_paragraph();
        } else {
            if (line.starts_with('>')) {
                end_paragraph();  // "> a note" stands alone
                paragraph = trim(line.substr(1));
                end_paragraph();
                continue;
            }
            paragraph += (paragraph.empty() ? "" : " ") + std::string(line);
        }
    }
    end_paragraph();
    if (recipe.name.empty()) recipe.name = file_title(file_name);
    set_source(recipe, source, "");
    apply_yield(recipe, yield);
    result.recipes.push_back(std::move(recipe));
    return result;
}
