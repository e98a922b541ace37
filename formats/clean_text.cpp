#include "formats/clean_text.h"

#include <utility>

#include "formats/html_document.h"

namespace {

bool breaks_line(GumboTag tag) {
    switch (tag) {
    case GUMBO_TAG_ADDRESS: case GUMBO_TAG_ARTICLE: case GUMBO_TAG_ASIDE: case GUMBO_TAG_BLOCKQUOTE:
    case GUMBO_TAG_BR: case GUMBO_TAG_DD: case GUMBO_TAG_DIV: case GUMBO_TAG_DL: case GUMBO_TAG_DT:
    case GUMBO_TAG_FIGCAPTION: case GUMBO_TAG_FIGURE: case GUMBO_TAG_FOOTER: case GUMBO_TAG_H1:
    case GUMBO_TAG_H2: case GUMBO_TAG_H3: case GUMBO_TAG_H4: case GUMBO_TAG_H5: case GUMBO_TAG_H6:
    case GUMBO_TAG_HEADER: case GUMBO_TAG_HR: case GUMBO_TAG_LI: case GUMBO_TAG_MAIN: case GUMBO_TAG_NAV:
    case GUMBO_TAG_OL: case GUMBO_TAG_P: case GUMBO_TAG_PRE: case GUMBO_TAG_SECTION: case GUMBO_TAG_TABLE:
    case GUMBO_TAG_TR: case GUMBO_TAG_UL:
        return true;
    default:
        return false;
    }
}

bool shows_no_text(GumboTag tag) {
    return tag == GUMBO_TAG_SCRIPT || tag == GUMBO_TAG_STYLE || tag == GUMBO_TAG_TEMPLATE;
}

const GumboVector* children_of(const GumboNode* node) {
    if (node->type == GUMBO_NODE_DOCUMENT) return &node->v.document.children;
    if (node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE) return &node->v.element.children;
    return nullptr;
}

// Walks the tree with a list of its own, not by recursion: pages nest deep.
void append_text(const GumboNode* root, bool keep_line_ends, std::string& out) {
    std::vector<std::pair<const GumboNode*, bool>> todo{{root, false}};  // the node, and whether it is left
    while (!todo.empty()) {
        const auto [node, leaving] = todo.back();
        todo.pop_back();
        if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_WHITESPACE || node->type == GUMBO_NODE_CDATA) {
            for (const char* c = node->v.text.text; *c; ++c) out += !keep_line_ends && (*c == '\n' || *c == '\r') ? ' ' : *c;
            continue;
        }
        const GumboVector* children = children_of(node);
        if (!children) continue;
        const bool element = node->type != GUMBO_NODE_DOCUMENT;
        const GumboTag tag = element ? node->v.element.tag : GUMBO_TAG_UNKNOWN;
        if (element && shows_no_text(tag)) continue;
        if (breaks_line(tag)) out += '\n';
        else if (leaving && (tag == GUMBO_TAG_TD || tag == GUMBO_TAG_TH)) out += ' ';
        if (leaving) continue;
        todo.push_back({node, true});
        for (unsigned i = children->length; i-- > 0;) todo.push_back({static_cast<const GumboNode*>(children->data[i]), false});
    }
}

bool may_hold_entity(std::string_view text) {
    for (std::size_t amp = text.find('&'); amp != std::string_view::npos; amp = text.find('&', amp + 1)) {
        const char next = amp + 1 < text.size() ? text[amp + 1] : ' ';
        if (next == '#' || (next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z')) return true;
    }
    return false;
}

// The text with its tags removed and entities decoded, line ends kept. An
// entity that decodes to another one is decoded again, up to three times in
// all; a '<' that an entity gave stays text.
std::string decode_markup(std::string_view text) {
    std::string plain(text);
    bool markup = plain.find('<') != std::string::npos;
    for (int round = 0; round < 3 && (markup || may_hold_entity(plain)); ++round) {
        std::string input;
        for (char c : plain) {
            if (c == '<' && !markup) input += "&lt;";
            else input += c;
        }
        const html_document parsed = parse_html(input);
        if (!parsed.document) break;
        std::string decoded;
        append_text(parsed.document, true, decoded);
        if (decoded == plain) break;
        plain = std::move(decoded);
        markup = false;
    }
    return plain;
}

// The length of the blank at text[i] (a no-break space takes two bytes), or 0.
std::size_t blank_at(std::string_view text, std::size_t i) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') return 1;
    return c == '\xC2' && i + 1 < text.size() && text[i + 1] == '\xA0' ? 2 : 0;
}

std::string collapse_blanks(std::string_view text) {
    std::string out;
    bool blank = false;
    for (std::size_t i = 0; i < text.size();) {
        if (const std::size_t length = blank_at(text, i)) {
            blank = !out.empty();
            i += length;
            continue;
        }
        if (blank) out += ' ';
        blank = false;
        out += text[i++];
    }
    return out;
}

}  // namespace

std::string clean_line(std::string_view text) { return collapse_blanks(decode_markup(text)); }

std::vector<std::string> clean_lines(std::string_view text) {
    const std::string plain = decode_markup(text);
    std::vector<std::string> lines;
    for (std::size_t start = 0; start <= plain.size();) {
        std::size_t end = plain.find_first_of("\r\n", start);
        if (end == std::string::npos) end = plain.size();
        std::string line = collapse_blanks(std::string_view(plain).substr(start, end - start));
        if (!line.empty()) lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

std::string page_text(const GumboNode* node) {
    std::string text;
    append_text(node, false, text);
    return text;
}
