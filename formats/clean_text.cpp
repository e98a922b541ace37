#include "formats/clean_text.h"

#include <algorithm>
#include <utility>

#include "formats/html_document.h"
#include "formats/html_entities.h"

namespace {

bool breaks_line(const xmlNode* node) {
    static constexpr std::string_view tags[] = {
        "address", "article", "aside", "blockquote", "br", "dd", "div", "dl", "dt", "figcaption", "figure",
        "footer", "h1", "h2", "h3", "h4", "h5", "h6", "header", "hr", "li", "main", "nav", "ol", "p", "pre",
        "section", "table", "tr", "ul"};
    return node->type == XML_ELEMENT_NODE &&
           std::find(std::begin(tags), std::end(tags), reinterpret_cast<const char*>(node->name)) != std::end(tags);
}

bool shows_no_text(const xmlNode* node) { return is_element(node, "script") || is_element(node, "style"); }

enum class text_of { page, field };

// A page part breaks its lines where a block starts and ends, as it shows.
// A field breaks only where one ends: markup around part of an item
// ("2 lb. <p>asparagus</p>") keeps it one item.
void mark_entry(const xmlNode* node, text_of kind, std::string& out) {
    if (breaks_line(node)) out += kind == text_of::page ? '\n' : ' ';
}

void mark_exit(const xmlNode* node, std::string& out) {
    if (breaks_line(node)) out += '\n';
    else if (is_element(node, "td") || is_element(node, "th")) out += ' ';
}

void append_text(const xmlNode* root, text_of kind, std::string& out) {
    for (const xmlNode* node = root;;) {
        bool descend = false;
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            for (const char* c = reinterpret_cast<const char*>(node->content); c && *c; ++c)
                out += kind == text_of::page && *c == '\n' ? ' ' : *c;
        } else if ((node->type == XML_ELEMENT_NODE || node == root) && !shows_no_text(node)) {
            mark_entry(node, kind, out);
            descend = node->children != nullptr;
            if (!descend) mark_exit(node, out);
        }
        if (descend) {
            node = node->children;
            continue;
        }
        while (node != root && !node->next) {
            node = node->parent;
            mark_exit(node, out);
        }
        if (node == root) return;
        node = node->next;
    }
}

bool may_hold_entity(std::string_view text) {
    for (std::size_t amp = text.find('&'); amp != std::string_view::npos; amp = text.find('&', amp + 1)) {
        const char next = amp + 1 < text.size() ? text[amp + 1] : ' ';
        if (next == '#' || (next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z')) return true;
    }
    return false;
}

bool holds_c1_control(std::string_view text) {
    for (std::size_t at = text.find('\xC2'); at != std::string_view::npos; at = text.find('\xC2', at + 1))
        if (at + 1 < text.size() && static_cast<unsigned char>(text[at + 1]) <= 0x9F) return true;
    return false;
}

// The text with its tags removed and entities decoded, line ends kept. An
// entity that decodes to another one is decoded again, up to three times in
// all; a '<' that an entity gave stays text.
std::string decode_markup(std::string_view text) {
    std::string plain(text);
    bool markup = plain.find('<') != std::string::npos;
    for (int round = 0; round < 3 && (markup || may_hold_entity(plain)); ++round) {
        // An explicit body keeps the parser from wrapping leading text in a
        // paragraph of its own, which would end a line after it.
        std::string input = "<body>";
        for (char c : plain) {
            if (c == '<' && !markup) input += "&lt;";
            else input += c;
        }
        const html_document parsed = parse_html(input);
        if (!parsed.tree) break;
        std::string decoded;
        append_text(parsed.root(), text_of::field, decoded);
        if (decoded == plain) break;
        plain = std::move(decoded);
        markup = false;
    }
    return may_hold_entity(plain) || holds_c1_control(plain) ? decode_html5_leftovers(plain) : plain;
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

std::string page_text(const xmlNode* node) {
    std::string text;
    append_text(node, text_of::page, text);
    return text;
}
