#include "formats/schema_recipe.h"

#include <algorithm>
#include <cctype>

#include "formats/clean_text.h"
#include "formats/lenient_json.h"
#include "formats/web_address.h"
#include "formats/yield.h"

using nlohmann::json;

namespace {

const json* member(const json& node, std::string_view key) {
    if (!node.is_object()) return nullptr;
    const auto found = node.find(key);
    return found == node.end() || found->is_null() ? nullptr : &*found;
}

std::string_view trimmed(std::string_view text) {
    const auto start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) return {};
    return text.substr(start, text.find_last_not_of(" \t\r\n") - start + 1);
}

bool type_is(std::string_view type, std::string_view wanted) {
    type = trimmed(type);
    if (type == wanted) return true;
    return type.size() > wanted.size() && type.ends_with(wanted) &&
           std::string_view("/#:").find(type[type.size() - wanted.size() - 1]) != std::string_view::npos;
}

bool has_type(const json& node, std::string_view wanted) {
    const json* type = member(node, "@type");
    if (!type) return false;
    if (type->is_string()) return type_is(type->get_ref<const std::string&>(), wanted);
    if (type->is_array())
        for (const json& each : *type)
            if (each.is_string() && type_is(each.get_ref<const std::string&>(), wanted)) return true;
    return false;
}

void find(const json& value, int depth, std::vector<const json*>& recipes, schema_ids& ids) {
    if (depth > json_depth_limit) return;
    if (value.is_array()) {
        for (const json& each : value) find(each, depth + 1, recipes, ids);
        return;
    }
    if (!value.is_object()) return;
    if (const json* id = member(value, "@id"); id && id->is_string()) ids.emplace(id->get<std::string>(), &value);
    if (has_type(value, "Recipe")) {
        recipes.push_back(&value);
        return;
    }
    if (const json* graph = member(value, "@graph"); graph && graph->is_object())
        for (const json& node : *graph) find(node, depth + 2, recipes, ids);
    else if (graph)
        find(*graph, depth + 1, recipes, ids);
    for (const char* key : {"mainEntity", "itemListElement", "item"})
        if (const json* inner = member(value, key)) find(*inner, depth + 1, recipes, ids);
}

std::string number_text(const json& number) {
    if (number.is_number_integer()) return std::to_string(number.get<std::int64_t>());
    if (number.is_number_unsigned()) return std::to_string(number.get<std::uint64_t>());
    return number.dump();
}

// A single text: a string, a number, a JSON-LD value object, or the first
// of a list that gives one.
std::string text_of(const json* value, int depth = 0) {
    if (!value || depth > json_depth_limit) return {};
    if (value->is_string()) return clean_line(value->get_ref<const std::string&>());
    if (value->is_number()) return number_text(*value);
    if (value->is_object()) return text_of(member(*value, "@value"), depth + 1);
    if (value->is_array())
        for (const json& each : *value)
            if (std::string text = text_of(&each, depth + 1); !text.empty()) return text;
    return {};
}

// Names of people or organisations: a text, an object with "name" (or a
// reference to one), or a list of these.
void collect_names(const json* value, const schema_ids& ids, int depth, std::vector<std::string>& names) {
    if (!value || depth > json_depth_limit) return;
    std::string name;
    if (value->is_array()) {
        for (const json& each : *value) collect_names(&each, ids, depth + 1, names);
        return;
    }
    if (value->is_object()) {
        name = text_of(member(*value, "name"), depth + 1);
        const json* id = member(*value, "@id");
        if (name.empty() && id && id->is_string()) {
            const auto found = ids.find(id->get_ref<const std::string&>());
            if (found != ids.end()) name = text_of(member(*found->second, "name"), depth + 1);
        }
    } else {
        name = text_of(value, depth);
    }
    if (!name.empty()) names.push_back(std::move(name));
}

std::string names_of(const json* value, const schema_ids& ids) {
    std::vector<std::string> names;
    collect_names(value, ids, 0, names);
    std::string joined;
    for (const std::string& name : names) joined += (joined.empty() ? "" : ", ") + name;
    return joined;
}

// A few texts are all a yield ever needs; a hostile list of millions stops here.
constexpr std::size_t kept_yields = 8;

// The yield's texts: a number, a text, a QuantitativeValue's "value" with
// its "unitText", or each of a list of these.
void collect_yields(const json* value, int depth, std::vector<std::string>& yields) {
    if (!value || depth > json_depth_limit || yields.size() == kept_yields) return;
    if (value->is_array()) {
        for (const json& each : *value) collect_yields(&each, depth + 1, yields);
        return;
    }
    std::string text = text_of(value->is_object() && member(*value, "value") ? member(*value, "value") : value, depth);
    if (value->is_object())
        if (std::string unit = text_of(member(*value, "unitText"), depth + 1); !unit.empty() && !text.empty())
            text += " " + unit;
    if (!text.empty()) yields.push_back(std::move(text));
}

// Ingredients: a text (one a line), or a list of texts or of objects with a
// "text" or "name".
void collect_lines(const json* value, int depth, std::vector<std::string>& lines) {
    if (!value || depth > json_depth_limit) return;
    if (value->is_string()) {
        for (std::string& line : clean_lines(value->get_ref<const std::string&>())) lines.push_back(std::move(line));
    } else if (value->is_number()) {
        lines.push_back(number_text(*value));
    } else if (value->is_array()) {
        for (const json& each : *value) collect_lines(&each, depth + 1, lines);
    } else if (value->is_object()) {
        const json* text = member(*value, "text");
        collect_lines(text ? text : member(*value, "name"), depth + 1, lines);
    }
}

// Compares "step2" before "step10": runs of digits by their value.
bool natural_less(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (std::isdigit(static_cast<unsigned char>(a[i])) && std::isdigit(static_cast<unsigned char>(b[j]))) {
            const std::size_t a_end = std::min(a.find_first_not_of("0123456789", i), a.size());
            const std::size_t b_end = std::min(b.find_first_not_of("0123456789", j), b.size());
            std::string_view x = std::string_view(a).substr(i, a_end - i), y = std::string_view(b).substr(j, b_end - j);
            x.remove_prefix(std::min(x.find_first_not_of('0'), x.size()));
            y.remove_prefix(std::min(y.find_first_not_of('0'), y.size()));
            if (x.size() != y.size()) return x.size() < y.size();
            if (x != y) return x < y;
            i = a_end, j = b_end;
        } else {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i, ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

// Instructions: a text (one step a line), HowToStep, HowToSection (a line
// "NAME:" then its steps), ItemList, lists of these at any depth, or an
// object whose values are the steps in the order of their keys.
void collect_steps(const json* value, int depth, std::vector<std::string>& steps) {
    if (!value || depth > json_depth_limit) return;
    if (value->is_array()) {
        for (const json& each : *value) collect_steps(&each, depth + 1, steps);
        return;
    }
    if (!value->is_object()) return collect_lines(value, depth, steps);
    if (has_type(*value, "HowToSection")) {
        std::string heading = text_of(member(*value, "name"), depth + 1);
        if (!heading.empty()) steps.push_back(heading.ends_with(':') ? heading : heading + ":");
        return collect_steps(member(*value, "itemListElement"), depth + 1, steps);
    }
    for (const char* key : {"itemListElement", "text", "item", "name"})
        if (const json* inner = member(*value, key)) return collect_steps(inner, depth + 1, steps);
    std::vector<std::pair<std::string, const json*>> keyed;
    for (auto each = value->begin(); each != value->end(); ++each)
        if (!each.key().starts_with("@")) keyed.emplace_back(each.key(), &*each);
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return natural_less(a.first, b.first); });
    for (const auto& [key, step] : keyed) collect_steps(step, depth + 1, steps);
}

std::string first_url(const json* value, int depth = 0) {
    if (!value || depth > json_depth_limit) return {};
    if (value->is_string()) return absolute_url(clean_line(value->get_ref<const std::string&>()));
    if (value->is_array())
        for (const json& each : *value)
            if (std::string url = first_url(&each, depth + 1); !url.empty()) return url;
    return {};
}


}  // namespace

void find_recipes(const json& value, std::vector<const json*>& recipes, schema_ids& ids) {
    find(value, 0, recipes, ids);
}

bool is_recipe_type(std::string_view type) { return type_is(type, "Recipe"); }

found_recipe map_recipe(const json& recipe, const schema_ids& ids, const recipe_origin& origin) {
    found_recipe found;
    found.name = text_of(member(recipe, "name"));
    found.author = names_of(member(recipe, "author"), ids);
    found.description = text_of(member(recipe, "description"));
    // An empty recipeIngredient ([] or "") beside the older "ingredients"
    // does not hide it.
    collect_lines(member(recipe, "recipeIngredient"), 0, found.ingredients);
    if (found.ingredients.empty()) collect_lines(member(recipe, "ingredients"), 0, found.ingredients);
    collect_steps(member(recipe, "recipeInstructions"), 0, found.directions);
    // Pages often give a count and a text (["4", "4 servings"] or ["6", "1
    // cake"]): the first count gives the servings, every other text is kept.
    const json* yield = member(recipe, "recipeYield");
    std::vector<std::string> yields;
    collect_yields(yield ? yield : member(recipe, "yield"), 0, yields);
    for (auto text = yields.rbegin(); text != yields.rend(); ++text) apply_yield(found, *text);

    std::string url = first_url(member(recipe, "url"));
    if (url.empty()) url = origin.page_url;
    const std::string publisher = names_of(member(recipe, "publisher"), ids);
    found.source = !publisher.empty() ? publisher : !url.empty() ? host_of_url(url) : std::string();
    if (!url.empty()) found.directions.push_back("Source: " + url);
    return found;
}
