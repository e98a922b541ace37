#include "formats/schema_org.h"

#include <algorithm>
#include <cctype>

#include "formats/charset.h"
#include "formats/clean_text.h"
#include "formats/html_document.h"
#include "formats/lenient_json.h"
#include "formats/microdata.h"
#include "formats/result_bytes.h"
#include "formats/schema_recipe.h"
#include "formats/web_address.h"
#include "shell/text.h"

using nlohmann::json;

namespace {

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

struct page_parts {
    std::vector<std::string> json_ld;  // the text of each JSON-LD block, in page order
    std::string canonical;             // <link rel="canonical">
    std::string og_url;                // <meta property="og:url">
};

// The type attribute may come in any letter case and with its entities
// encoded once more than the parser decodes ("application/ld&amp;#43;json").
bool is_json_ld(const xmlNode* script) {
    const std::string type = lower(clean_line(attribute(script, "type")));
    return type.substr(0, type.find(';')) == "application/ld+json";
}

bool has_word(const std::string& words, std::string_view word) {
    std::size_t at = 0;
    while ((at = words.find(word, at)) != std::string::npos) {
        const bool starts = at == 0 || words[at - 1] == ' ';
        at += word.size();
        if (starts && (at == words.size() || words[at] == ' ')) return true;
    }
    return false;
}

page_parts read_page_parts(const xmlNode* document) {
    page_parts parts;
    for (const xmlNode* node = document; node; node = next_node(node, document)) {
        if (is_element(node, "script") && is_json_ld(node)) {
            std::string text;
            for (const xmlNode* child = node->children; child; child = child->next)
                if (child->content && (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE))
                    text += reinterpret_cast<const char*>(child->content);
            parts.json_ld.push_back(std::move(text));
        } else if (is_element(node, "link") && parts.canonical.empty() &&
                   has_word(lower(clean_line(attribute(node, "rel"))), "canonical")) {
            parts.canonical = absolute_url(attribute(node, "href"));
        } else if (is_element(node, "meta") && parts.og_url.empty() &&
                   (lower(std::string(attribute(node, "property"))) == "og:url" ||
                    lower(std::string(attribute(node, "name"))) == "og:url")) {
            parts.og_url = absolute_url(attribute(node, "content"));
        }
    }
    return parts;
}

read_result map_recipes(const std::vector<json>& values, const recipe_origin& origin) {
    read_result result;
    std::vector<const json*> recipes;
    schema_ids ids;
    for (const json& value : values) find_recipes(value, recipes, ids);
    for (const json* recipe : recipes) result.recipes.push_back(map_recipe(*recipe, ids, origin));
    return result;
}

std::string dropped_note(std::size_t dropped) {
    return with_thousands(dropped) + " items of lists longer than " + with_thousands(json_list_limit) +
           " were left out.";
}

read_result read_page_here(std::string_view bytes) {
    const std::string page = page_to_utf8(bytes);
    html_document document = parse_html(page);
    if (!document.tree) return {{}, {"The page " + document.failure + "."}};
    const page_parts parts = read_page_parts(document.root());
    const std::vector<json> microdata = read_microdata_recipes(document.root());
    document = {};  // the tree is no longer needed; free it before the JSON is read

    std::vector<json> values;
    std::vector<std::string> notes;
    std::size_t value_room = json_value_limit;  // for all blocks together
    for (std::size_t i = 0; i < parts.json_ld.size(); ++i) {
        lenient_json block = parse_lenient_json(parts.json_ld[i], value_room);
        value_room -= std::min(value_room, block.value_count);
        for (json& value : block.values) values.push_back(std::move(value));
        if (!block.failure.empty())
            notes.push_back("JSON-LD block " + std::to_string(i + 1) + " could not be read: " + block.failure + ".");
        if (block.dropped > 0) notes.push_back(dropped_note(block.dropped));
    }
    const recipe_origin origin{!parts.canonical.empty() ? parts.canonical : parts.og_url};
    read_result result = map_recipes(values, origin);
    result.notes = std::move(notes);
    // Pages often mark the same recipe up twice, as JSON-LD and as microdata.
    const std::size_t from_json_ld = result.recipes.size();
    for (const json& item : microdata) {
        found_recipe recipe = map_recipe(item, {}, origin);
        const auto same_name = [&](const found_recipe& other) { return other.name == recipe.name; };
        if (std::none_of(result.recipes.begin(), result.recipes.begin() + from_json_ld, same_name))
            result.recipes.push_back(std::move(recipe));
    }
    return result;
}

read_result read_json_here(std::string_view bytes) {
    const std::string text = text_to_utf8(bytes);
    const recipe_origin origin{};
    read_result result;
    lenient_json file;
    // Without an "@id" no part of the file refers to another, so each value
    // is mapped as soon as it is read and its tree dropped: a file of many
    // recipes holds only what they keep.
    if (text.find("\"@id\"") == std::string::npos) {
        file = read_lenient_json_each(text, [&](json&& value) {
            std::vector<const json*> recipes;
            schema_ids ids;
            find_recipes(value, recipes, ids);
            for (const json* recipe : recipes) result.recipes.push_back(map_recipe(*recipe, ids, origin));
        });
    } else {
        file = parse_lenient_json(text);
        result = map_recipes(file.values, origin);
    }
    if (!file.failure.empty()) result.notes.push_back("The file could not be read as JSON: " + file.failure + ".");
    if (file.dropped > 0) result.notes.push_back(dropped_note(file.dropped));
    return result;
}

}  // namespace

read_result read_recipe_page(std::string_view bytes, const std::string&) {
    return read_in_child([&] { return read_page_here(bytes); }, "page");
}

read_result read_recipe_json(std::string_view bytes, const std::string&) {
    return read_in_child([&] { return read_json_here(bytes); }, "file");
}
