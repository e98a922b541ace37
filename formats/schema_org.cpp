#include "formats/schema_org.h"

#include <algorithm>
#include <cctype>
#include <deque>
#include <span>
#include <unordered_set>

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

// A JSON file in another character set is read from a UTF-8 copy of at most this.
constexpr std::size_t largest_json_copy = std::size_t{64} << 20;

struct page_parts {
    std::vector<std::string_view> json_ld;  // the text of each JSON-LD block, in page order, in the tree
    std::deque<std::string> joined;         // or here, for a block the tree holds in pieces
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

// A script's text is one text node of the tree: a view of it saves a copy of
// what may be tens of megabytes.
std::string_view script_text(const xmlNode* script, std::deque<std::string>& joined) {
    std::vector<std::string_view> pieces;
    for (const xmlNode* child = script->children; child; child = child->next)
        if (child->content && (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE))
            pieces.emplace_back(reinterpret_cast<const char*>(child->content));
    if (pieces.size() == 1) return pieces.front();
    std::string& text = joined.emplace_back();
    for (std::string_view piece : pieces) text.append(piece);
    return text;
}

page_parts read_page_parts(const xmlNode* document) {
    page_parts parts;
    for (const xmlNode* node = document; node; node = next_node(node, document)) {
        if (is_element(node, "script") && is_json_ld(node)) {
            parts.json_ld.push_back(script_text(node, parts.joined));
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

// What the lenient reader left out of the recipe's long lists, counted in
// the recipe so that the summary says how long they were.
void count_left_out(const json& recipe, found_recipe& found) {
    const auto cuts = recipe.find(json_left_out_key);
    if (cuts == recipe.end() || !cuts->is_object()) return;
    const auto cut = [&](const char* list, std::size_t which) -> uint64_t {
        const auto counts = cuts->find(list);
        if (counts == cuts->end() || !counts->is_array() || counts->size() != 2) return 0;
        const json& count = (*counts)[which];
        return count.is_number_unsigned() ? count.get<uint64_t>() : 0;
    };
    // The older "ingredients" is read only where "recipeIngredient" is empty.
    found.ingredients_left_out = cut("recipeIngredient", 0);
    if (found.ingredients_left_out == 0 && found.ingredients.size() >= json_list_limit)
        found.ingredients_left_out = cut("ingredients", 0);
    found.direction_bytes_left_out = cut("recipeInstructions", 1);
}

// Maps every recipe in the values, which may refer to each other by "@id",
// and hands each on.
void take_recipes(std::span<const json> values, const recipe_origin& origin, const found_taker& take) {
    std::vector<const json*> recipes;
    schema_ids ids;
    for (const json& value : values) find_recipes(value, recipes, ids);
    for (const json* recipe : recipes) {
        found_recipe found = map_recipe(*recipe, ids, origin);
        count_left_out(*recipe, found);
        take(std::move(found));
    }
}

// Without an "@id" no part of the text refers to another, so each value can
// be mapped as soon as it is read and its tree dropped: a text of many
// recipes holds only the one being read.
bool refers_by_id(std::string_view text) {
    return text.find("\"@id\"") != std::string_view::npos;
}

lenient_json read_each_value(std::string_view text, std::size_t value_limit, const recipe_origin& origin,
                             const found_taker& take) {
    return read_lenient_json_each(
        text, [&](json&& value) { take_recipes({&value, 1}, origin, take); }, value_limit);
}

std::string dropped_note(std::size_t dropped) {
    return with_thousands(dropped) + " items of lists longer than " + with_thousands(json_list_limit) +
           " were left out.";
}

read_result read_page_here(std::string_view bytes, const found_taker& take) {
    std::string converted;
    const std::optional<std::string_view> text = page_as_utf8(bytes, converted, html_tree_limit);
    if (!text) return {{}, {"The page needs more memory than a page may use to read."}};
    html_document document = parse_html(*text, converted.size());
    std::string().swap(converted);  // the tree holds its own copy of every text
    if (!document.tree) return {{}, {"The page " + document.failure + "."}};
    // The JSON-LD blocks are read from the tree's own texts.
    const page_parts parts = read_page_parts(document.root());
    const std::vector<json> microdata = read_microdata_recipes(document.root());

    read_result result;
    const recipe_origin origin{!parts.canonical.empty() ? parts.canonical : parts.og_url};
    std::unordered_set<std::string> json_ld_names;  // kept only to tell microdata repeats
    const found_taker take_json_ld = [&](found_recipe&& recipe) {
        if (!microdata.empty()) json_ld_names.insert(recipe.name);
        take(std::move(recipe));
    };
    // Blocks may refer to each other; then all are read before any is mapped.
    const bool refers = std::any_of(parts.json_ld.begin(), parts.json_ld.end(), refers_by_id);
    std::vector<json> values;
    // For all blocks together; all held at once when they refer to each other.
    std::size_t value_room = refers ? json_held_value_limit : json_value_limit;
    for (std::size_t i = 0; i < parts.json_ld.size(); ++i) {
        // Once the room is used up, one note stands for every block left.
        if (value_room == 0) {
            result.notes.push_back("JSON-LD blocks " + std::to_string(i + 1) + " to " +
                                   std::to_string(parts.json_ld.size()) +
                                   " were not read: the blocks before them hold as many values as a page may.");
            break;
        }
        lenient_json block = refers ? parse_lenient_json(parts.json_ld[i], value_room)
                                    : read_each_value(parts.json_ld[i], value_room, origin, take_json_ld);
        value_room -= std::min(value_room, block.value_count);
        for (json& value : block.values) values.push_back(std::move(value));
        if (!block.failure.empty())
            result.notes.push_back("JSON-LD block " + std::to_string(i + 1) + " could not be read: " + block.failure + ".");
        if (block.dropped > 0) result.notes.push_back(dropped_note(block.dropped));
    }
    take_recipes(values, origin, take_json_ld);
    // Pages often mark the same recipe up twice, as JSON-LD and as microdata.
    for (const json& item : microdata) {
        found_recipe recipe = map_recipe(item, {}, origin);
        if (!json_ld_names.contains(recipe.name)) take(std::move(recipe));
    }
    return result;
}

read_result read_json_here(std::string_view bytes, const found_taker& take) {
    std::string converted;
    const std::optional<std::string_view> utf8 = text_as_utf8(bytes, converted, largest_json_copy);
    if (!utf8) return {{}, {"The file needs more memory than a file may use to read."}};
    const std::string_view text = *utf8;
    const recipe_origin origin{};
    lenient_json file;
    if (refers_by_id(text)) {
        file = parse_lenient_json(text, json_held_value_limit);
        take_recipes(file.values, origin, take);
    } else {
        file = read_each_value(text, json_value_limit, origin, take);
    }
    read_result result;
    if (!file.failure.empty()) result.notes.push_back("The file could not be read as JSON: " + file.failure + ".");
    if (file.dropped > 0) result.notes.push_back(dropped_note(file.dropped));
    return result;
}

}  // namespace

read_result read_recipe_page(std::string_view bytes, const std::string&, const found_taker& take,
                             const std::function<void()>& release) {
    return read_in_child([&](const found_taker& found) { return read_page_here(bytes, found); }, "page", take,
                         release);
}

read_result read_recipe_json(std::string_view bytes, const std::string&, const found_taker& take,
                             const std::function<void()>& release) {
    return read_in_child([&](const found_taker& found) { return read_json_here(bytes, found); }, "file", take,
                         release);
}
