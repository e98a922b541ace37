#include "formats/microdata.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "formats/clean_text.h"
#include "formats/html_document.h"
#include "formats/schema_recipe.h"

using nlohmann::json;

namespace {

// Items nested deeper than this (an author inside a step inside a section...)
// are left out; real pages nest three or four.
constexpr int item_depth_limit = 8;

std::vector<std::string> words(std::string_view text) {
    std::vector<std::string> out;
    std::string word;
    for (std::size_t i = 0;; ++i) {
        const char c = i < text.size() ? text[i] : '\0';
        if (c && c != ' ' && c != '\t' && c != '\n' && c != '\r' && c != '\f') {
            word += c;
            continue;
        }
        if (!word.empty()) out.push_back(std::move(word));
        word.clear();
        if (!c) return out;
    }
}

bool is_item(const xmlNode* node) { return has_attribute(node, "itemscope"); }

bool is_recipe_item(const xmlNode* node) {
    if (!is_item(node)) return false;
    for (const std::string& type : words(attribute(node, "itemtype")))
        if (is_recipe_type(type)) return true;
    return false;
}

// A property's value as microdata defines it where it matters here: the
// content of a <meta>, the address of a link given as "url", the value of a
// <data>, else the text the element shows.
std::string property_value(const xmlNode* element, const std::vector<std::string>& names) {
    if (is_element(element, "meta")) return std::string(attribute(element, "content"));
    if (is_element(element, "link")) return std::string(attribute(element, "href"));
    const char* holder = is_element(element, "data") || is_element(element, "meter") ? "value"
                         : (is_element(element, "a") || is_element(element, "area")) &&
                                   std::find(names.begin(), names.end(), "url") != names.end()
                             ? "href"
                             : nullptr;
    if (holder && has_attribute(element, holder)) return std::string(attribute(element, holder));
    return page_text(element);
}

void add_property(json& item, const std::string& name, const json& value) {
    json& slot = item[name];
    if (slot.is_null()) {
        slot = value;
        return;
    }
    if (!slot.is_array()) slot = json::array({slot});
    slot.push_back(value);
}

json read_item(const xmlNode* scope, int depth) {
    json item = json::object();
    const std::vector<std::string> types = words(attribute(scope, "itemtype"));
    if (!types.empty()) item["@type"] = types;
    // The item's properties are the elements inside it with an itemprop,
    // but not those inside a nested item: they belong to that one.
    for (const xmlNode* node = next_node(scope, scope); node;) {
        if (node->type != XML_ELEMENT_NODE) {
            node = next_node(node, scope);
            continue;
        }
        const std::vector<std::string> names = words(attribute(node, "itemprop"));
        if (!names.empty() && (!is_item(node) || depth < item_depth_limit)) {
            const json value = is_item(node) ? read_item(node, depth + 1) : json(property_value(node, names));
            // The older "ingredients" is the same list as "recipeIngredient".
            for (const std::string& name : names)
                add_property(item, name == "ingredients" ? "recipeIngredient" : name, value);
        }
        node = next_node(node, scope, !is_item(node));
    }
    return item;
}

}  // namespace

std::vector<json> read_microdata_recipes(const xmlNode* document) {
    std::vector<json> recipes;
    for (const xmlNode* node = document; node; node = next_node(node, document))
        if (is_recipe_item(node)) recipes.push_back(read_item(node, 1));
    return recipes;
}
