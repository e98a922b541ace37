#include "formats/json_fields.h"

#include <charconv>
#include <cmath>

#include "formats/charset.h"
#include "formats/lenient_json.h"

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

namespace {

// Where the value of the first member of this name starts; npos when none.
size_t value_of_key(std::string_view start, std::string_view key) {
    const std::string quoted = std::string("\"").append(key).append("\"");
    for (size_t at = start.find(quoted); at != std::string_view::npos; at = start.find(quoted, at + 1)) {
        const size_t after = start.find_first_not_of(" \t\r\n", at + quoted.size());
        if (after != std::string_view::npos && start[after] == ':') return start.find_first_not_of(" \t\r\n", after + 1);
    }
    return std::string_view::npos;
}

}  // namespace

bool names_key(std::string_view start, std::string_view key) {
    return value_of_key(start, key) != std::string_view::npos;
}

bool names_text(std::string_view start, std::string_view key) {
    const size_t value = value_of_key(start, key);
    return value != std::string_view::npos && start[value] == '"';
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
