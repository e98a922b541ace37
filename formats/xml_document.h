#pragma once
#include <libxml/tree.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// XML exports of other recipe programs, parsed by libxml2 as untrusted
// files: no network, no external DTD or entity ever loaded, entities left
// unexpanded (a "billion laughs" file stays small), and libxml2's own
// messages silenced.

// Hands each element called `name` directly under the root to `handle`,
// one at a time: only that element's part of the document is held in memory,
// however many recipes the file has. `encoding`, when given, overrides what
// the document declares. Returns a note when the document is not
// well-formed; the elements before the fault have been handled, save those
// the parser had read ahead over when it met the fault.
std::string read_xml_records(std::string_view bytes, const char* encoding, std::string_view name,
                             const std::function<void(const xmlNode*)>& handle);

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
