#include "formats/chowdown.h"

#include <yaml-cpp/yaml.h>

#include "formats/export_fields.h"
#include "formats/charset.h"
#include "formats/yield.h"

namespace {

std::string_view trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The line at `at`, without its line end; `at` moves past it.
std::string_view take_line(std::string_view text, size_t& at) {
    const size_t end = std::min(text.find('\n', at), text.size());
    std::string_view line = text.substr(at, end - at);
    at = end + (end < text.size());
    if (line.ends_with('\r')) line.remove_suffix(1);
    return line;
}

std::string scalar(const YAML::Node& map, const char* key) {
    const YAML::Node value = map[key];
    return value && value.IsScalar() ? std::string(trim(value.Scalar())) : std::string();
}

// A YAML list of texts, or a single text.
std::vector<std::string> scalar_list(const YAML::Node& map, const char* key) {
    std::vector<std::string> items;
    const YAML::Node value = map[key];
    if (value && value.IsScalar()) return text_lines(value.Scalar());
    if (!value || !value.IsSequence()) return items;
    for (const YAML::Node& item : value)
        if (item.IsScalar())
            if (std::string line = markdown_to_plain(item.Scalar()); !line.empty()) items.push_back(line);
    return items;
}

// The text of a Markdown line without its emphasis marks and link targets.
std::string plain_inline(std::string_view line) {
    std::string out;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '*' || c == '`' || (c == '_' && (i == 0 || i + 1 == line.size() || line[i - 1] == ' ' ||
                                                  line[i + 1] == ' ' || line[i + 1] == '_' || line[i - 1] == '_')))
            continue;
        if (c == '!' && i + 1 < line.size() && line[i + 1] == '[') continue;
        if (c == '[' || c == ']') {
            // "[text](target)": the target goes.
            if (c == ']' && i + 1 < line.size() && line[i + 1] == '(') {
                const size_t close = line.find(')', i);
                if (close != std::string_view::npos) i = close;
            }
            continue;
        }
        out += c;
    }
    return out;
}

}  // namespace

front_matter split_front_matter(std::string_view text) {
    front_matter parts;
    size_t at = 0;
    if (trim(take_line(text, at)) != "---") return parts;
    const size_t yaml_start = at;
    while (at < text.size()) {
        const size_t line_start = at;
        const std::string_view line = take_line(text, at);
        if (line == "---" || line == "...") {
            parts.found = true;
            parts.yaml = text.substr(yaml_start, line_start - yaml_start);
            parts.body = text.substr(at);
            return parts;
        }
    }
    return parts;
}

std::string markdown_to_plain(std::string_view markdown) {
    std::string plain;
    for (std::string line : text_lines(markdown)) {
        std::string_view rest = line;
        while (rest.starts_with('#')) rest.remove_prefix(1);
        if (rest.starts_with("- ") || rest.starts_with("* ") || rest.starts_with("+ ")) rest.remove_prefix(2);
        if (rest.starts_with('>')) rest.remove_prefix(1);
        const std::string text(trim(plain_inline(trim(rest))));
        if (text.empty()) continue;
        if (!plain.empty()) plain += '\n';
        plain += text;
    }
    return plain;
}

bool is_chowdown(std::string_view start, std::string_view) {
    const front_matter parts = split_front_matter(start);
    return parts.found && parts.yaml.find("layout: recipe") != std::string_view::npos &&
           parts.yaml.find("ingredients:") != std::string_view::npos;
}

read_result read_chowdown(std::string_view bytes, const std::string&) {
    read_result result;
    const std::string text = text_to_utf8(without_byte_order_mark(bytes));
    const front_matter parts = split_front_matter(text);
    YAML::Node fields;
    try {
        fields = YAML::Load(std::string(parts.yaml));
    } catch (const YAML::Exception& failure) {
        result.notes.push_back("The front matter could not be read: " + failure.msg + ".");
        return result;
    }
    if (!fields.IsMap()) return result;
    found_recipe recipe;
    recipe.name = markdown_to_plain(scalar(fields, "title"));
    recipe.author = scalar(fields, "author");
    // Items that end in ":" are already the headings of their groups.
    recipe.ingredients = scalar_list(fields, "ingredients");
    recipe.directions = scalar_list(fields, "directions");
    for (const std::string& line : text_lines(markdown_to_plain(parts.body)))
        recipe.description += (recipe.description.empty() ? "" : " ") + line;
    set_source(recipe, scalar(fields, "source"), scalar(fields, "url"));
    apply_yield(recipe, scalar(fields, "yield"));
    result.recipes.push_back(std::move(recipe));
    return result;
}
