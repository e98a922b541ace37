#include "formats/xml_document.h"

#include <libxml/parser.h>
#include <libxml/xmlreader.h>

#include <climits>
#include <mutex>

namespace {

// Nothing outside the document is ever read, whatever it refers to.
xmlParserInputPtr refuse_to_load(const char*, const char*, xmlParserCtxtPtr) {
    return nullptr;
}

void ignore_error(void*, const char*, xmlParserSeverities, xmlTextReaderLocatorPtr) {}

}  // namespace

std::string read_xml_records(std::string_view bytes, const char* encoding, std::string_view name,
                             const std::function<void(const xmlNode*)>& handle) {
    static std::once_flag setup;
    std::call_once(setup, [] {
        xmlInitParser();
        xmlSetExternalEntityLoader(refuse_to_load);
    });
    if (bytes.size() > INT_MAX) return "too large to read as XML.";
    // Never XML_PARSE_NOENT, XML_PARSE_DTDLOAD or XML_PARSE_DTDATTR, which
    // expand entities and fetch DTDs, nor XML_PARSE_HUGE, which lifts
    // libxml2's limits on what entities amplify to.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOCDATA;
    xmlTextReaderPtr reader =
        xmlReaderForMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, encoding, options);
    if (!reader) return "could not be read as XML.";
    xmlTextReaderSetErrorHandler(reader, ignore_error, nullptr);
    int handled = 0;
    int status = xmlTextReaderRead(reader);
    while (status == 1) {
        const auto* tag = reinterpret_cast<const char*>(xmlTextReaderConstName(reader));
        if (xmlTextReaderNodeType(reader) != XML_READER_TYPE_ELEMENT || xmlTextReaderDepth(reader) != 1 ||
            !tag || name != tag) {
            status = xmlTextReaderRead(reader);
            continue;
        }
        const xmlNode* record = xmlTextReaderExpand(reader);
        if (!record) {
            status = -1;
            break;
        }
        handle(record);
        ++handled;
        // On to the next sibling; the reader frees what lies behind.
        status = xmlTextReaderNext(reader);
    }
    xmlFreeTextReader(reader);
    if (status == 0) return {};
    return handled == 0 ? "not well-formed XML; nothing read from it."
                        : "not well-formed XML; read up to the fault only.";
}

bool is_named(const xmlNode* node, std::string_view name) {
    return node && node->type == XML_ELEMENT_NODE && name == reinterpret_cast<const char*>(node->name);
}

std::vector<const xmlNode*> children_named(const xmlNode* parent, std::string_view name) {
    std::vector<const xmlNode*> found;
    if (!parent) return found;
    for (const xmlNode* child = parent->children; child; child = child->next)
        if (is_named(child, name)) found.push_back(child);
    return found;
}

const xmlNode* child_named(const xmlNode* parent, std::string_view name) {
    if (!parent) return nullptr;
    for (const xmlNode* child = parent->children; child; child = child->next)
        if (is_named(child, name)) return child;
    return nullptr;
}

std::string raw_text(const xmlNode* node) {
    std::string text;
    if (!node) return text;
    // Walked without recursion, and never into entity references, whose
    // expansion is what a hostile file blows up.
    const xmlNode* at = node->children;
    while (at && at != node) {
        if ((at->type == XML_TEXT_NODE || at->type == XML_CDATA_SECTION_NODE) && at->content)
            text += reinterpret_cast<const char*>(at->content);
        if (at->type == XML_ELEMENT_NODE && at->children) {
            at = at->children;
            continue;
        }
        while (at != node && !at->next) at = at->parent;
        if (at != node) at = at->next;
    }
    return text;
}

std::string text_of(const xmlNode* node) {
    return trim_text(raw_text(node));
}

std::string child_text(const xmlNode* parent, std::string_view name) {
    return text_of(child_named(parent, name));
}

std::string attribute(const xmlNode* node, const char* name) {
    if (!node) return {};
    const xmlAttr* found = xmlHasProp(node, reinterpret_cast<const xmlChar*>(name));
    std::string value;
    // Its text only: an entity reference is not expanded here either.
    for (const xmlNode* part = found ? found->children : nullptr; part; part = part->next)
        if (part->type == XML_TEXT_NODE && part->content) value += reinterpret_cast<const char*>(part->content);
    return trim_text(value);
}

std::string trim_text(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1));
}

std::string_view xml_root_name(std::string_view start) {
    size_t at = 0;
    while (true) {
        at = start.find_first_not_of(" \t\r\n", at);
        if (at == std::string_view::npos || start[at] != '<') return {};
        std::string_view rest = start.substr(at);
        std::string_view end = ">";
        if (rest.starts_with("<?")) end = "?>";
        else if (rest.starts_with("<!--")) end = "-->";
        else if (rest.starts_with("<!")) {
            // A DOCTYPE, with declarations in brackets or without.
            const size_t bracket = rest.find('['), close = rest.find('>');
            if (bracket < close) end = "]>";
        } else {
            rest.remove_prefix(1);
            return rest.substr(0, rest.find_first_of(" \t\r\n/>"));
        }
        at = start.find(end, at);
        if (at == std::string_view::npos) return {};
        at += end.size();
    }
}
