#include "formats/export_fields.h"

#include <charconv>
#include <cmath>

#include "formats/charset.h"
#include "formats/clean_text.h"
#include "formats/lenient_json.h"
#include "formats/schema_recipe.h"

using nlohmann::json;

// Read leniently for its limits on nesting and on the number of values, which
// bound the memory a hostile entry can take.
std::optional<json> parse_export_json(std::string_view bytes) {
    lenient_json parsed = parse_lenient_json(text_to_utf8(bytes));
    if (!parsed.failure.empty() || parsed.values.empty()) return std::nullopt;
    return std::move(parsed.values.front());
}

const json& member_at(const json& object, const char* key) {
    static const json none;
    if (!object.is_object()) return none;
    const auto found = object.find(key);
    return found == object.end() ? none : *found;
}

bool flag_at(const json& object, const char* key) {
    const json& flag = member_at(object, key);
    return flag.is_boolean() && flag.get<bool>();
}

bool opens_with(std::string_view start, char bracket) {
    const size_t first = start.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && start[first] == bracket;
}

bool names_key(std::string_view start, std::string_view key) {
    const std::string quoted = "\"" + std::string(key) + "\"";
    for (size_t at = start.find(quoted); at != std::string_view::npos; at = start.find(quoted, at + 1)) {
        const size_t after = start.find_first_not_of(" \t\r\n", at + quoted.size());
        if (after != std::string_view::npos && start[after] == ':') return true;
    }
    return false;
}

std::string text_at(const json& object, const char* key) {
    if (!object.is_object()) return {};
    const auto found = object.find(key);
    if (found == object.end()) return {};
    if (found->is_string()) return found->get<std::string>();
    if (found->is_number()) return amount_text(found->get<double>());
    return {};
}

double number_at(const json& object, const char* key) {
    if (!object.is_object()) return 0;
    const auto found = object.find(key);
    if (found == object.end()) return 0;
    if (found->is_number()) return found->get<double>();
    if (found->is_string()) {
        const std::string& text = found->get_ref<const std::string&>();
        double number = 0;
        std::from_chars(text.data(), text.data() + text.size(), number);
        return number;
    }
    return 0;
}

std::string amount_text(double amount) {
    if (!std::isfinite(amount) || amount == 0) return {};
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, std::round(amount * 1000) / 1000).ptr;
    return std::string(text, end);
}

std::string joined_parts(std::initializer_list<std::string_view> parts) {
    std::string line;
    for (std::string_view part : parts) {
        const std::string clean = clean_line(part);
        if (clean.empty()) continue;
        if (!line.empty()) line += ' ';
        line += clean;
    }
    return line;
}

std::string heading_line(std::string_view words) {
    std::string line = clean_line(words);
    if (!line.empty() && !line.ends_with(':')) line += ':';
    return line;
}

std::string_view without_list_number(std::string_view step) {
    const size_t digits = step.find_first_not_of("0123456789");
    if (digits == 0 || digits == std::string_view::npos || digits > 3) return step;
    const std::string_view after = step.substr(digits);
    if (!after.starts_with(". ") && !after.starts_with(") ")) return step;
    const size_t text = step.find_first_not_of(' ', digits + 1);
    return text == std::string_view::npos ? step : step.substr(text);
}

std::vector<std::string> plain_lines(std::string_view text) {
    std::string lines(text);
    for (std::string_view separator : {"\u2028", "\u2029"})
        for (size_t at = lines.find(separator); at != std::string::npos; at = lines.find(separator, at))
            lines.replace(at, separator.size(), "\n");
    std::vector<std::string> result;
    size_t start = 0;
    while (start <= lines.size()) {
        size_t end = lines.find_first_of("\r\n", start);
        if (end == std::string::npos) end = lines.size();
        std::string line = clean_line(std::string_view(lines).substr(start, end - start));
        if (!line.empty()) result.push_back(std::move(line));
        start = end + 1;
    }
    return result;
}

void set_source(found_recipe& recipe, std::string_view text, std::string_view url) {
    const std::string address = absolute_url(clean_line(url));
    recipe.source = clean_line(text);
    if (recipe.source.empty() && !address.empty()) {
        std::string_view host = std::string_view(address).substr(address.find("://") + 3);
        host = host.substr(0, host.find_first_of("/?#:"));
        recipe.source = std::string(host);
        for (char& c : recipe.source) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    if (!address.empty()) recipe.directions.push_back("Source: " + address);
}

void add_notes(found_recipe& recipe, const std::vector<std::string>& notes) {
    if (notes.empty()) return;
    recipe.directions.push_back("Notes:");
    recipe.directions.insert(recipe.directions.end(), notes.begin(), notes.end());
}
