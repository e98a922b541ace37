#include "formats/microdata.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "formats/clean_text.h"
#include "formats/schema_recipe.h"

using nlohmann::json;

namespace {

// Items nested deeper than this (an author inside a step inside a section...)
// are left out; real pages nest three or four.
constexpr int item_depth_limit = 8;

const char* attribute(const GumboNode* element, const char* name) {
    const GumboAttribute* found = gumbo_get_attribute(&element->v.element.attributes, name);
    return found ? found->value : nullptr;
}

std::vector<std::string> words(const char* text) {
    std::vector<std::string> out;
    std::string word;
    for (const char* c = text ? text : ""; ; ++c) {
        if (*c && *c != ' ' && *c != '\t' && *c != '\n' && *c != '\r' && *c != '\f') {
            word += *c;
            continue;
        }
        if (!word.empty()) out.push_back(std::move(word));
        word.clear();
        if (!*c) return out;
    }
}

bool is_item(const GumboNode* node) {
    return node->type == GUMBO_NODE_ELEMENT && attribute(node, "itemscope");
}

bool is_recipe_item(const GumboNode* node) {
    if (!is_item(node)) return false;
    for (const std::string& type : words(attribute(node, "itemtype")))
        if (is_recipe_type(type)) return true;
    return false;
}

// A property's value as microdata defines it where it matters here: the
// content of a <meta>, the address of a link given as "url", the value of a
// <data>, else the text the element shows.
std::string property_value(const GumboNode* element, const std::vector<std::string>& names) {
    const GumboTag tag = element->v.element.tag;
    const char* value = nullptr;
    if (tag == GUMBO_TAG_META) value = attribute(element, "content");
    else if (tag == GUMBO_TAG_LINK) value = attribute(element, "href");
    else if (tag == GUMBO_TAG_DATA || tag == GUMBO_TAG_METER) value = attribute(element, "value");
    else if ((tag == GUMBO_TAG_A || tag == GUMBO_TAG_AREA) && std::find(names.begin(), names.end(), "url") != names.end())
        value = attribute(element, "href");
    if (value || tag == GUMBO_TAG_META || tag == GUMBO_TAG_LINK) return value ? value : "";
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

const GumboVector& children_of(const GumboNode* node) {
    return node->type == GUMBO_NODE_DOCUMENT ? node->v.document.children : node->v.element.children;
}

json read_item(const GumboNode* scope, int depth) {
    json item = json::object();
    const std::vector<std::string> types = words(attribute(scope, "itemtype"));
    if (!types.empty()) item["@type"] = types;
    // The item's properties are the elements inside it with an itemprop,
    // but not those inside a nested item: they belong to that one.
    std::vector<const GumboNode*> todo;
    const GumboVector& top = children_of(scope);
    for (unsigned i = top.length; i-- > 0;) todo.push_back(static_cast<const GumboNode*>(top.data[i]));
    while (!todo.empty()) {
        const GumboNode* node = todo.back();
        todo.pop_back();
        if (node->type != GUMBO_NODE_ELEMENT) continue;
        const std::vector<std::string> names = words(attribute(node, "itemprop"));
        if (!names.empty() && (!is_item(node) || depth < item_depth_limit)) {
            const json value = is_item(node) ? read_item(node, depth + 1) : json(property_value(node, names));
            // The older "ingredients" is the same list as "recipeIngredient".
            for (const std::string& name : names)
                add_property(item, name == "ingredients" ? "recipeIngredient" : name, value);
        }
        if (is_item(node)) continue;
        const GumboVector& children = node->v.element.children;
        for (unsigned i = children.length; i-- > 0;) todo.push_back(static_cast<const GumboNode*>(children.data[i]));
    }
    return item;
}

}  // namespace

std::vector<json> read_microdata_recipes(const GumboNode* document) {
    std::vector<json> recipes;
    std::vector<const GumboNode*> todo{document};
    while (!todo.empty()) {
        const GumboNode* node = todo.back();
        todo.pop_back();
        if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_DOCUMENT) continue;
        if (is_recipe_item(node)) recipes.push_back(read_item(node, 1));
        const GumboVector& children = children_of(node);
        for (unsigned i = children.length; i-- > 0;) todo.push_back(static_cast<const GumboNode*>(children.data[i]));
    }
    return recipes;
}
