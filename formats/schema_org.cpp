#include "formats/schema_org.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <optional>

#include "formats/charset.h"
#include "formats/clean_text.h"
#include "formats/html_document.h"
#include "formats/isolated.h"
#include "formats/lenient_json.h"
#include "formats/microdata.h"
#include "formats/result_bytes.h"
#include "formats/schema_recipe.h"

using nlohmann::json;

namespace {

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

const char* attribute(const GumboNode* element, const char* name) {
    const GumboAttribute* found = gumbo_get_attribute(&element->v.element.attributes, name);
    return found ? found->value : "";
}

struct page_parts {
    std::vector<std::string> json_ld;  // the text of each JSON-LD block, in page order
    std::string canonical;             // <link rel="canonical">
    std::string og_url;                // <meta property="og:url">
};

// The type attribute may come in any letter case and with its entities
// encoded once more than Gumbo decodes ("application/ld&amp;#43;json").
bool is_json_ld(const GumboNode* script) {
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

page_parts read_page_parts(const GumboNode* document) {
    page_parts parts;
    std::vector<const GumboNode*> todo{document};
    while (!todo.empty()) {
        const GumboNode* node = todo.back();
        todo.pop_back();
        if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_DOCUMENT) continue;
        const GumboVector& children =
            node->type == GUMBO_NODE_DOCUMENT ? node->v.document.children : node->v.element.children;
        const GumboTag tag = node->type == GUMBO_NODE_ELEMENT ? node->v.element.tag : GUMBO_TAG_UNKNOWN;
        if (tag == GUMBO_TAG_SCRIPT && is_json_ld(node)) {
            std::string text;
            for (unsigned i = 0; i < children.length; ++i) {
                const GumboNode* child = static_cast<const GumboNode*>(children.data[i]);
                if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE) text += child->v.text.text;
            }
            parts.json_ld.push_back(std::move(text));
        } else if (tag == GUMBO_TAG_LINK && parts.canonical.empty() &&
                   has_word(lower(clean_line(attribute(node, "rel"))), "canonical")) {
            parts.canonical = absolute_url(attribute(node, "href"));
        } else if (tag == GUMBO_TAG_META && parts.og_url.empty() &&
                   (lower(attribute(node, "property")) == "og:url" || lower(attribute(node, "name")) == "og:url")) {
            parts.og_url = absolute_url(attribute(node, "content"));
        }
        for (unsigned i = children.length; i-- > 0;) todo.push_back(static_cast<const GumboNode*>(children.data[i]));
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

read_result read_page_here(std::string_view bytes) {
    const std::string page = page_to_utf8(bytes);
    html_document document = parse_html(page);
    if (!document.document) return {{}, {"The page " + document.failure + "."}};
    const page_parts parts = read_page_parts(document.document);
    const std::vector<json> microdata = read_microdata_recipes(document.document);
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
    lenient_json file = parse_lenient_json(text_to_utf8(bytes));
    read_result result = map_recipes(file.values, {});
    if (!file.failure.empty()) result.notes.push_back("The file could not be read as JSON: " + file.failure + ".");
    return result;
}

// A reader may fail on a hostile file in a way no check beforehand finds
// (see isolated.h); then the file gets a note and the import goes on.
constexpr int reader_cpu_seconds = 30;

read_result read_isolated(const std::function<read_result()>& read, const std::string& what) {
    const isolated_run run = run_isolated([&] { return result_to_bytes(read()); }, reader_cpu_seconds);
    if (run.finished)
        if (std::optional<read_result> result = result_from_bytes(run.output)) return std::move(*result);
    return {{}, {"The " + what + " could not be read: " + (run.finished ? "the reader stopped on it" : run.failure) + "."}};
}

}  // namespace

read_result read_recipe_page(std::string_view bytes, const std::string&) {
    return read_isolated([&] { return read_page_here(bytes); }, "page");
}

read_result read_recipe_json(std::string_view bytes, const std::string&) {
    return read_isolated([&] { return read_json_here(bytes); }, "file");
}
