#pragma once
#include <libxml/tree.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// XML exports of other recipe programs, parsed by libxml2 as untrusted
// files: no network, no external DTD or entity ever loaded, entities left
// unexpanded (a "billion laughs" file stays small), and libxml2's own
// messages silenced.

struct free_xml_document {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using xml_document = std::unique_ptr<xmlDoc, free_xml_document>;

// Null when the bytes are not well-formed XML. `encoding`, when given,
// overrides what the document declares.
xml_document parse_xml(std::string_view bytes, const char* encoding = nullptr);

// The root element, or null.
const xmlNode* root_element(const xml_document& doc);
// Whether an element has this name.
bool is_named(const xmlNode* node, std::string_view name);
// The element children of a node with this name, in order.
std::vector<const xmlNode*> children_named(const xmlNode* parent, std::string_view name);
// The first such child, or null.
const xmlNode* child_named(const xmlNode* parent, std::string_view name);
// All the text inside a node (CDATA too, entity references left out), as it is.
std::string raw_text(const xmlNode* node);
// The same, trimmed of the blanks and line ends that exports pad it with.
std::string text_of(const xmlNode* node);
std::string child_text(const xmlNode* parent, std::string_view name);
// An attribute's value, trimmed; empty when missing.
std::string attribute(const xmlNode* node, const char* name);

std::string trim_text(std::string_view text);

// The name of the root element of a document's start, before any parsing:
// what recognising an XML export looks at. Empty when the start is not XML.
std::string_view xml_root_name(std::string_view start);

// The note for a document that could not be parsed.
inline constexpr std::string_view not_well_formed = "not well-formed XML; nothing read from it.";
