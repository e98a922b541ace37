#include "formats/html_document.h"

#include <libxml/HTMLparser.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <climits>

#include "formats/charset.h"

namespace {

void say_nothing(void*, const char*, ...) {}
void say_nothing_structured(void*, xmlErrorPtr) {}

// HTML5 reads CR LF and CR alone as LF, also inside scripts, where libxml2
// keeps them; and a NUL would end libxml2's parse.
std::string normalised(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (c == '\0') {
            out += "\xEF\xBF\xBD";
        } else {
            out += c;
        }
    }
    return out;
}

bool needs_normalising(std::string_view text) {
    return text.find('\r') != std::string_view::npos || text.find('\0') != std::string_view::npos;
}

// htmlCtxtReadMemory copies the whole text into the parser's buffer, and
// again as its UTF-8 "conversion"; read through a callback, the parser takes
// it in pieces and lets go of what it has parsed (except inside a script,
// where libxml2 keeps the whole input).
struct unread_text {
    std::string_view left;
};

int read_piece(void* from, char* buffer, int size) {
    std::string_view& left = static_cast<unread_text*>(from)->left;
    const std::size_t count = std::min(left.size(), static_cast<std::size_t>(size));
    std::copy_n(left.data(), count, buffer);
    left.remove_prefix(count);
    return static_cast<int>(count);
}

// A template's contents are not part of the page as it shows.
void remove_templates(xmlDoc* tree) {
    const xmlNode* top = reinterpret_cast<xmlNode*>(tree);
    for (const xmlNode* node = top; node;) {
        if (!is_element(node, "template")) {
            node = next_node(node, top);
            continue;
        }
        xmlNode* gone = const_cast<xmlNode*>(node);
        node = next_node(node, top, false);
        xmlUnlinkNode(gone);
        xmlFreeNode(gone);
    }
}

}  // namespace

html_document parse_html(std::string_view utf8) {
    // libxml2 would print its complaints about a page on the terminal.
    xmlSetGenericErrorFunc(nullptr, say_nothing);
    xmlSetStructuredErrorFunc(nullptr, say_nothing_structured);
    std::string held;  // only a page with CR or NUL is copied
    const std::string_view text = needs_normalising(utf8) ? std::string_view(held = normalised(utf8)) : utf8;
    html_document result;
    if (text.size() > INT_MAX) {  // the parser counts in int
        result.failure = "is too large to read";
        return result;
    }
    htmlParserCtxtPtr context = htmlNewParserCtxt();
    if (!context) {
        result.failure = "needs more memory than a page may use to read";
        return result;
    }
    // The cap is global to libxml2; the XML readers keep theirs.
    const unsigned xml_depth_limit = xmlParserMaxDepth;
    xmlParserMaxDepth = html_depth_limit;
    unread_text unread{text};
    result.tree.reset(htmlCtxtReadIO(context, read_piece, nullptr, &unread, nullptr, "UTF-8",
                                     HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                         HTML_PARSE_NONET | HTML_PARSE_COMPACT));
    xmlParserMaxDepth = xml_depth_limit;
    const int error = context->errNo;
    // libxml2 stops at a text of more than 10 MB in one piece as if out of memory.
    const xmlError* last = xmlCtxtGetLastError(context);
    const bool huge_text = last && last->message && std::string_view(last->message).find("huge text") != std::string_view::npos;
    htmlFreeParserCtxt(context);
    // Other errors are faults of the page that the parser has mended; these stop it half-way.
    if (error == XML_ERR_INTERNAL_ERROR || error == XML_ERR_NO_MEMORY || (!result.tree && !text.empty())) {
        result.tree.reset();
        result.failure = error == XML_ERR_INTERNAL_ERROR ? "is nested too deeply to read"
                         : huge_text ? "holds a text of more than 10 MB in one piece, too long to read"
                                     : "needs more memory than a page may use to read";
        return result;
    }
    if (result.tree) remove_templates(result.tree.get());
    return result;
}

const xmlNode* next_node(const xmlNode* node, const xmlNode* top, bool enter) {
    if (enter && node->children && (node->type == XML_ELEMENT_NODE || node->type == XML_DOCUMENT_NODE ||
                                    node->type == XML_HTML_DOCUMENT_NODE))
        return node->children;
    for (; node && node != top; node = node->parent)
        if (node->next) return node->next;
    return nullptr;
}

bool is_element(const xmlNode* node, std::string_view name) {
    return node->type == XML_ELEMENT_NODE && name == reinterpret_cast<const char*>(node->name);
}

namespace {

const xmlAttr* find_attribute(const xmlNode* element, std::string_view name) {
    if (element->type != XML_ELEMENT_NODE) return nullptr;
    for (const xmlAttr* found = element->properties; found; found = found->next)
        if (name == reinterpret_cast<const char*>(found->name)) return found;
    return nullptr;
}

}  // namespace

bool has_attribute(const xmlNode* element, std::string_view name) { return find_attribute(element, name); }

std::string_view attribute(const xmlNode* element, std::string_view name) {
    const xmlAttr* found = find_attribute(element, name);
    // The HTML parser gives a value as one text node.
    if (!found || !found->children || !found->children->content) return {};
    return reinterpret_cast<const char*>(found->children->content);
}

bool has_class(const xmlNode* element, std::string_view word) {
    const std::string_view classes = attribute(element, "class");
    for (std::size_t start = 0; start < classes.size();) {
        const std::size_t end = std::min(classes.find_first_of(" \t\n\f", start), classes.size());
        if (classes.substr(start, end - start) == word) return true;
        start = end + 1;
    }
    return false;
}

read_result read_recipe_blocks(std::string_view bytes, std::string_view word,
                               found_recipe (*read_block)(const xmlNode* div)) {
    const html_document page = parse_html(text_to_utf8(bytes));
    if (!page.tree) return {{}, {"The page " + page.failure + "."}};
    read_result result;
    for (const xmlNode* node = page.root(); node;) {
        const bool found = is_element(node, "div") && has_class(node, word);
        if (found) result.recipes.push_back(read_block(node));
        node = next_node(node, page.root(), !found);
    }
    return result;
}
