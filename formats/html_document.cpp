#include "formats/html_document.h"

#include <libxml/HTMLparser.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <climits>

#include "formats/charset.h"

namespace {

constexpr const char* memory_failure = "needs more memory than a page may use to read";

void say_nothing(void*, const char*, ...) {}
void say_nothing_structured(void*, xmlErrorPtr) {}

// htmlCtxtReadMemory copies the whole text into the parser's buffer, and
// again as its UTF-8 "conversion"; read through a callback, the parser takes
// it in pieces and lets go of what it has parsed (except inside a script,
// where libxml2 keeps the whole input).
struct unread_text {
    std::string_view left;
};

// Gives the parser the next piece of the text. HTML5 reads CR LF and CR
// alone as LF, also inside scripts, where libxml2 keeps them; and a NUL
// would end libxml2's parse: both are mended on the way.
int read_piece(void* from, char* buffer, int size) {
    std::string_view& left = static_cast<unread_text*>(from)->left;
    char* out = buffer;
    char* const end = buffer + size;
    while (!left.empty() && end - out >= 3) {  // room for a NUL's replacement
        const std::string_view window = left.substr(0, static_cast<std::size_t>(end - out));
        const std::size_t plain = std::min(window.find('\r'), window.find('\0'));
        if (plain == std::string_view::npos) {
            out = std::copy_n(window.data(), window.size(), out);
            left.remove_prefix(window.size());
            continue;
        }
        out = std::copy_n(window.data(), plain, out);
        left.remove_prefix(plain);
        if (end - out < 3) break;
        if (left.front() == '\r') {
            *out++ = '\n';
            left.remove_prefix(left.starts_with("\r\n") ? 2 : 1);
        } else {
            out = std::copy_n("\xEF\xBF\xBD", 3, out);
            left.remove_prefix(1);
        }
    }
    return static_cast<int>(out - buffer);
}

bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool equals_ignoring_case(std::string_view a, std::string_view lower) {
    if (a.size() != lower.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if ((is_letter(a[i]) ? a[i] | 0x20 : a[i]) != lower[i]) return false;
    return true;
}

// Where the raw text of a script or style that starts at `at` ends: at its end tag.
std::size_t end_of_raw_text(std::string_view text, std::size_t at, std::string_view name) {
    for (; (at = text.find("</", at)) != std::string_view::npos; at += 2)
        if (equals_ignoring_case(text.substr(at + 2, name.size()), name)) return at;
    return text.size();
}

constexpr int parse_options =
    HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET | HTML_PARSE_COMPACT;

// Why the parse stopped half-way, or nothing: other errors are faults of the
// page that the parser has mended.
std::string parse_failure(htmlParserCtxtPtr context) {
    if (context->errNo == XML_ERR_INTERNAL_ERROR) return "is nested too deeply to read";
    if (context->errNo != XML_ERR_NO_MEMORY) return {};
    // libxml2 stops at a text of more than 10 MB in one piece as if out of memory.
    const xmlError* last = xmlCtxtGetLastError(context);
    const bool huge_text = last && last->message && std::string_view(last->message).find("huge text") != std::string_view::npos;
    return huge_text ? "holds a text of more than 10 MB in one piece, too long to read" : memory_failure;
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

html_document parse_html(std::string_view utf8, std::size_t held) {
    // libxml2 would print its complaints about a page on the terminal.
    xmlSetGenericErrorFunc(nullptr, say_nothing);
    xmlSetStructuredErrorFunc(nullptr, say_nothing_structured);
    html_document result;
    if (utf8.size() > INT_MAX / 3) {  // the parser counts in int, and a NUL grows to three bytes
        result.failure = "is too large to read";
        return result;
    }
    htmlParserCtxtPtr context = least_tree_size(utf8) + held <= html_tree_limit ? htmlNewParserCtxt() : nullptr;
    if (!context) {
        result.failure = memory_failure;
        return result;
    }
    // The cap is global to libxml2; the XML readers keep theirs.
    const unsigned xml_depth_limit = xmlParserMaxDepth;
    xmlParserMaxDepth = html_depth_limit;
    unread_text unread{utf8};
    result.tree.reset(htmlCtxtReadIO(context, read_piece, nullptr, &unread, nullptr, "UTF-8", parse_options));
    xmlParserMaxDepth = xml_depth_limit;
    std::string failure = parse_failure(context);
    htmlFreeParserCtxt(context);
    if (failure.empty() && !result.tree && !utf8.empty()) failure = memory_failure;
    if (!failure.empty()) {
        result.tree.reset();
        result.failure = std::move(failure);
        return result;
    }
    if (result.tree) remove_templates(result.tree.get());
    return result;
}

std::size_t least_tree_size(std::string_view text) {
    // A node, an attribute, and the text node of its value, as glibc's malloc gives them.
    constexpr std::size_t node = 128, attribute = 112, value = 144;
    constexpr auto npos = std::string_view::npos;
    std::size_t size = 0;
    for (std::size_t at = text.find('<'); at != npos; at = text.find('<', at)) {
        if (text.substr(at).starts_with("<!--")) {
            at = text.find("-->", at + 4);
            if (at == npos) break;
            continue;
        }
        if (++at >= text.size() || !is_letter(text[at])) continue;
        const std::size_t name_start = at;
        while (at < text.size() && !is_blank(text[at]) && text[at] != '>' && text[at] != '/') ++at;
        const std::string_view name = text.substr(name_start, at - name_start);
        size += node;
        // Its attributes up to the end of the tag; a quote starts a value only after "=".
        bool after_blank = false, after_equals = false;
        for (; at < text.size() && text[at] != '>'; ++at) {
            const char c = text[at];
            if (is_blank(c)) {
                after_blank = true;
                continue;
            }
            if (c == '=') {
                size += value;
            } else if ((c == '"' || c == '\'') && after_equals) {
                const std::size_t start = at;
                if ((at = text.find(c, at + 1)) == npos) return size;
                size += at - start;
            } else if (after_blank && !after_equals && c != '/') {
                size += attribute;
            }
            after_equals = c == '=';
            after_blank = false;
        }
        if (at + 1 < text.size() && !is_blank(text[at + 1]) && text[at + 1] != '<') size += node;  // a text
        const bool script = equals_ignoring_case(name, "script");
        if (script || equals_ignoring_case(name, "style")) at = end_of_raw_text(text, at, script ? "script" : "style");
    }
    return size;
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

namespace {

bool is_block(const xmlNode* node, std::string_view word) { return is_element(node, "div") && has_class(node, word); }

// The blocks in a part of the page the parser has finished, in page order.
void take_blocks(const xmlNode* top, std::string_view word, found_recipe (*read_block)(const xmlNode* div),
                 read_result& result) {
    for (const xmlNode* node = top; node;) {
        const bool found = is_block(node, word);
        if (found) result.recipes.push_back(read_block(node));
        node = next_node(node, top, !found && !is_element(node, "template"));
    }
}

// Reads the blocks the parser has finished and frees them with all else it
// has finished: what is left is the open elements, and the last child of
// each, to which the parser may still add text. Then a page of any number of
// recipes takes the memory of one. The open elements are the parser's stack,
// each a child of the one before, so that the walk is as long as the page is deep.
void take_finished(htmlParserCtxtPtr context, std::string_view word,
                   found_recipe (*read_block)(const xmlNode* div), read_result& result) {
    bool in_template = false;
    xmlNode* parent = reinterpret_cast<xmlNode*>(context->myDoc);
    for (int level = 0; parent; ++level) {
        xmlNode* open = level < context->nodeNr ? context->nodeTab[level] : nullptr;
        if (open && open->parent != parent) return;
        for (xmlNode* child = parent->children; child && child->next;) {
            xmlNode* after = child->next;
            if (child != open && child->type != XML_DTD_NODE) {
                if (!in_template) take_blocks(child, word, read_block, result);
                xmlUnlinkNode(child);
                xmlFreeNode(child);
            }
            child = after;
        }
        // A block still open is read once it has ended.
        if (!open || is_block(open, word)) return;
        in_template = in_template || is_element(open, "template");
        parent = open;
    }
}

// The text for the parser, with the blocks it has finished read and freed
// each time it asks for more.
struct pruned_reading {
    unread_text unread;
    htmlParserCtxtPtr context;
    std::string_view word;
    found_recipe (*read_block)(const xmlNode* div);
    read_result& result;
};

int read_piece_pruning(void* from, char* buffer, int size) {
    pruned_reading& reading = *static_cast<pruned_reading*>(from);
    if (reading.context->myDoc) take_finished(reading.context, reading.word, reading.read_block, reading.result);
    return read_piece(&reading.unread, buffer, size);
}

}  // namespace

read_result read_recipe_blocks(std::string_view bytes, std::string_view word,
                               found_recipe (*read_block)(const xmlNode* div)) {
    std::string converted;
    const std::optional<std::string_view> text = text_as_utf8(bytes, converted, html_tree_limit);
    htmlParserCtxtPtr context = text ? htmlNewParserCtxt() : nullptr;
    if (!context) return {{}, {"The page " + std::string(memory_failure) + "."}};
    xmlSetGenericErrorFunc(nullptr, say_nothing);
    xmlSetStructuredErrorFunc(nullptr, say_nothing_structured);
    const unsigned xml_depth_limit = xmlParserMaxDepth;
    xmlParserMaxDepth = html_depth_limit;
    read_result result;
    pruned_reading reading{{*text}, context, word, read_block, result};
    const std::unique_ptr<xmlDoc, free_html_tree> tree(
        htmlCtxtReadIO(context, read_piece_pruning, nullptr, &reading, nullptr, "UTF-8", parse_options));
    xmlParserMaxDepth = xml_depth_limit;
    const std::string failure = parse_failure(context);
    htmlFreeParserCtxt(context);
    if (!failure.empty()) return {{}, {"The page " + failure + "."}};
    if (tree) take_blocks(reinterpret_cast<const xmlNode*>(tree.get()), word, read_block, result);
    return result;
}
