#pragma once
#include <libxml/tree.h>

#include <memory>
#include <string>
#include <string_view>

#include "formats/found_recipe.h"

// Pages are parsed by libxml2's HTML parser, which stays linear in time on
// every nesting shape. Its tree differs from a browser's only where markup
// is badly misnested. A parse deeper than html_depth_limit stops; real pages
// reach about half of it.
inline constexpr unsigned html_depth_limit = 4096;
// A page whose tree would take more than this is refused before it is
// parsed: a page of millions of tiny elements would take gigabytes. What is
// read from the tree (microdata items) takes up to half as much again.
inline constexpr std::size_t html_tree_limit = std::size_t{80} << 20;

struct free_html_tree {
    void operator()(xmlDoc* tree) const { xmlFreeDoc(tree); }
};

struct html_document {
    std::unique_ptr<xmlDoc, free_html_tree> tree;  // null when the text was not read
    std::string failure;  // why not, to follow "The page ": "is nested too deeply to read"

    const xmlNode* root() const { return reinterpret_cast<const xmlNode*>(tree.get()); }
};

// The least memory libxml2's tree of the text takes, counted in one quick
// pass over its tags.
std::size_t least_tree_size(std::string_view text);
// Parses UTF-8 text as an HTML document, <template> contents left out.
// `held` counts what is kept beside the tree while it is built (a converted
// copy of the page) against the tree's room.
html_document parse_html(std::string_view utf8, std::size_t held = 0);

// The node after `node` in document order below `top`, without entering
// node's children when enter is false; null at the end. Pages nest deep, so
// walks go by this rather than by recursion.
const xmlNode* next_node(const xmlNode* node, const xmlNode* top, bool enter = true);
bool is_element(const xmlNode* node, std::string_view name);  // name in lower case, as the parser gives it
bool has_attribute(const xmlNode* element, std::string_view name);
// The attribute's value, empty when it is missing.
std::string_view attribute(const xmlNode* element, std::string_view name);
// Whether the element's class attribute holds the word.
bool has_class(const xmlNode* element, std::string_view word);
// The recipes of a manager's HTML export in any character set: one from
// each outermost <div> whose class holds the word, in page order. Each is
// read as soon as the parser has finished it, and freed.
read_result read_recipe_blocks(std::string_view bytes, std::string_view word,
                               found_recipe (*read_block)(const xmlNode* div));
