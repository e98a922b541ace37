#include "formats/html_cost.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>
#include <vector>

namespace {

constexpr std::size_t npos = std::string_view::npos;

// What the parser does with an element of a given name.
enum : unsigned {
    void_element = 1u << 0,     // never holds anything
    raw_text = 1u << 1,         // holds text up to its own end tag (in HTML)
    formatting = 1u << 2,       // kept in the list of active formatting elements
    special = 1u << 3,          // an end tag of another name does not close it
    scope_limit = 1u << 4,      // an end tag does not look past it
    breaks_out = 1u << 5,       // leaves SVG or MathML content
    closes_sibling = 1u << 6,   // closes an open element of the same name first
    svg_html_inside = 1u << 7,  // in SVG, holds HTML again
    math_html_inside = 1u << 8, // in MathML, holds HTML again
    merged = 1u << 9,           // merged into the one element of that name
    table_part = 1u << 10,      // closes a select inside a table
    scoped_end = 1u << 11,      // its end tag closes what is open above it
    table_only = 1u << 12,      // ignored outside a table
};

struct known_name {
    std::string_view name;
    unsigned what;
};

constexpr unsigned heading = special | breaks_out | scoped_end;
constexpr known_name known_names[] = {
    {"a", formatting},
    {"address", special | scoped_end},
    {"annotation-xml", special | scope_limit},
    {"applet", special | scope_limit | scoped_end},
    {"area", void_element | special},
    {"article", special | scoped_end},
    {"aside", special | scoped_end},
    {"b", formatting | breaks_out},
    {"base", void_element | special},
    {"basefont", void_element | special},
    {"bgsound", void_element | special},
    {"big", formatting | breaks_out},
    {"blockquote", special | breaks_out | scoped_end},
    {"body", special | merged | breaks_out | scoped_end},
    {"br", void_element | special | breaks_out},
    {"button", special | scope_limit | scoped_end},
    {"caption", special | scope_limit | table_part | scoped_end | table_only},
    {"center", special | breaks_out | scoped_end},
    {"code", formatting | breaks_out},
    {"col", void_element | special},
    {"colgroup", special | scoped_end | table_only},
    {"dd", special | breaks_out | closes_sibling | scoped_end},
    {"desc", special | scope_limit | svg_html_inside},
    {"details", special | scoped_end},
    {"dir", special | scoped_end},
    {"div", special | breaks_out | scoped_end},
    {"dl", special | breaks_out | scoped_end},
    {"dt", special | breaks_out | closes_sibling | scoped_end},
    {"em", formatting | breaks_out},
    {"embed", void_element | special | breaks_out},
    {"fieldset", special | scoped_end},
    {"figcaption", special | scoped_end},
    {"figure", special | scoped_end},
    {"font", formatting},
    {"footer", special | scoped_end},
    {"foreignobject", special | scope_limit | svg_html_inside},
    {"form", special | scoped_end},
    {"frame", void_element | special},
    {"frameset", special | merged},
    {"h1", heading},
    {"h2", heading},
    {"h3", heading},
    {"h4", heading},
    {"h5", heading},
    {"h6", heading},
    {"head", special | merged | breaks_out},
    {"header", special | scoped_end},
    {"hgroup", special | scoped_end},
    {"hr", void_element | special | breaks_out},
    {"html", special | scope_limit | merged | scoped_end},
    {"i", formatting | breaks_out},
    {"iframe", special | raw_text},
    {"image", void_element},
    {"img", void_element | special | breaks_out},
    {"input", void_element | special},
    {"keygen", void_element | special},
    {"li", special | breaks_out | closes_sibling | scoped_end},
    {"link", void_element | special},
    {"listing", special | breaks_out | scoped_end},
    {"main", special | scoped_end},
    {"marquee", special | scope_limit | scoped_end},
    {"math", 0},
    {"menu", special | breaks_out | scoped_end},
    {"meta", void_element | special | breaks_out},
    {"mi", special | scope_limit | math_html_inside},
    {"mn", special | scope_limit | math_html_inside},
    {"mo", special | scope_limit | math_html_inside},
    {"ms", special | scope_limit | math_html_inside},
    {"mtext", special | scope_limit | math_html_inside},
    {"nav", special | scoped_end},
    {"nobr", formatting | breaks_out},
    {"noembed", special | raw_text},
    {"noframes", special | raw_text},
    {"noscript", special},
    {"object", special | scope_limit | scoped_end},
    {"ol", special | scope_limit | breaks_out | scoped_end},
    {"optgroup", closes_sibling},
    {"option", closes_sibling},
    {"p", special | breaks_out | closes_sibling | scoped_end},
    {"param", void_element | special},
    {"plaintext", special},
    {"pre", special | breaks_out | scoped_end},
    {"ruby", breaks_out},
    {"s", formatting | breaks_out},
    {"script", special},
    {"section", special | scoped_end},
    {"select", special | scope_limit},
    {"small", formatting | breaks_out},
    {"source", void_element | special},
    {"span", breaks_out},
    {"strike", formatting | breaks_out},
    {"strong", formatting | breaks_out},
    {"style", special | raw_text},
    {"sub", breaks_out},
    {"summary", special | scoped_end},
    {"sup", breaks_out},
    {"svg", 0},
    {"table", special | scope_limit | breaks_out | table_part | scoped_end},
    {"tbody", special | table_part | scoped_end | table_only},
    {"td", special | scope_limit | closes_sibling | table_part | scoped_end | table_only},
    {"template", special | scope_limit | scoped_end},
    {"textarea", special | raw_text},
    {"tfoot", special | table_part | scoped_end | table_only},
    {"th", special | scope_limit | closes_sibling | table_part | scoped_end | table_only},
    {"thead", special | table_part | scoped_end | table_only},
    {"title", special | scope_limit | raw_text | svg_html_inside},
    {"tr", special | closes_sibling | table_part | scoped_end | table_only},
    {"track", void_element | special},
    {"tt", formatting | breaks_out},
    {"u", formatting | breaks_out},
    {"ul", special | scope_limit | breaks_out | scoped_end},
    {"var", breaks_out},
    {"wbr", void_element | special},
    {"xmp", special | raw_text},
};
static_assert(std::is_sorted(std::begin(known_names), std::end(known_names),
                             [](const known_name& a, const known_name& b) { return a.name < b.name; }));

char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }
bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

unsigned what_is(std::string_view name) {
    char buffer[16];
    if (name.size() > sizeof buffer) return 0;
    for (std::size_t i = 0; i < name.size(); ++i) buffer[i] = lower(name[i]);
    const std::string_view key(buffer, name.size());
    auto found = std::lower_bound(std::begin(known_names), std::end(known_names), key,
                                  [](const known_name& k, std::string_view n) { return k.name < n; });
    return found != std::end(known_names) && found->name == key ? found->what : 0;
}

// "</name" followed by what ends a tag name: where raw text ends.
bool is_end_tag_of(std::string_view text, std::string_view name) {
    return text.size() > name.size() + 2 && text[0] == '<' && text[1] == '/' &&
           same_name(text.substr(2, name.size()), name) &&
           (is_blank(text[name.size() + 2]) || text[name.size() + 2] == '/' || text[name.size() + 2] == '>');
}

bool is_start_tag_of(std::string_view text, std::string_view name) {
    return text.size() > name.size() + 1 && text[0] == '<' && same_name(text.substr(1, name.size()), name) &&
           (is_blank(text[name.size() + 1]) || text[name.size() + 1] == '/' || text[name.size() + 1] == '>');
}

// How the parser reads what an element holds.
enum class mode { html, svg, math, select };

bool is_foreign(mode m) { return m == mode::svg || m == mode::math; }

struct open_element {
    std::string_view name;
    unsigned what;
    mode holds;
    bool foreign;   // an SVG or MathML element itself
    bool in_table;  // a select inside a table, which table tags close
};

struct tag {
    std::string_view name;
    bool self_closing = false;
    bool font_breaks_out = false;   // <font> with color, face or size leaves SVG too
    bool html_annotation = false;   // <annotation-xml encoding="text/html"> holds HTML
};

constexpr std::string_view formatting_names[] = {"a",     "b",      "big",    "code", "em", "font", "i",
                                                 "nobr",  "s",      "small",  "strike", "strong", "tt", "u"};

std::size_t formatting_slot(std::string_view name) {
    for (std::size_t i = 0; i < std::size(formatting_names); ++i)
        if (same_name(name, formatting_names[i])) return i;
    return 0;
}

struct scanner {
    std::string_view html;
    std::size_t at = 0;
    std::vector<open_element> open;
    // Formatting elements opened and not yet closed by name: the parser may
    // open them all again under a later element.
    std::array<std::uint64_t, std::size(formatting_names)> formatting_open{};
    std::uint64_t formatting_total = 0;
    std::size_t open_tables = 0;  // tables and templates, where table tags count
    std::uint64_t work = 0;

    mode inside() const { return open.empty() ? mode::html : open.back().holds; }
    void count_tag() { work += 1 + open.size() + formatting_total; }

    bool is_html_named(const open_element& element, std::string_view name) const {
        return !element.foreign && same_name(element.name, name);
    }
    void push(std::string_view name, unsigned what, mode holds, bool foreign) {
        open.push_back({name, what, holds, foreign, open_tables > 0});
        open_tables += is_table(open.back());
    }
    void pop() {
        open_tables -= is_table(open.back());
        open.pop_back();
    }
    bool is_table(const open_element& element) const {
        return is_html_named(element, "table") || is_html_named(element, "template");
    }

    bool select_in_table() const {
        for (auto element = open.rbegin(); element != open.rend() && element->holds == mode::select; ++element)
            if (is_html_named(*element, "select")) return element->in_table;
        return false;
    }
    void close_select() {
        while (!open.empty() && open.back().holds == mode::select) {
            const bool select = is_html_named(open.back(), "select");
            pop();
            if (select) return;
        }
    }

    // Inside a table, table tags close the cells, rows and row groups left
    // open; end tags of table parts close through cells. (Outside one the
    // parser ignores them.) True when the tag has been dealt with.
    bool close_table_parts(std::string_view name, bool start) {
        if (open_tables == 0) return false;
        const bool cell = same_name(name, "td") || same_name(name, "th"), row = same_name(name, "tr");
        for (std::size_t above = 0; above < open.size() && above < 64; ++above) {
            const open_element& element = open[open.size() - 1 - above];
            if (element.foreign) return false;
            const bool table = is_table(element);
            const bool in_cell = is_html_named(element, "td") || is_html_named(element, "th");
            const bool in_row = is_html_named(element, "tr");
            const bool in_group = is_html_named(element, "tbody") || is_html_named(element, "thead") ||
                                  is_html_named(element, "tfoot");
            std::size_t closes = 0;  // how many elements from the top close
            if (!start && same_name(element.name, name)) closes = above + 1;
            else if (!start && table) return false;
            else if (start && cell && (in_cell || in_row || table)) closes = above + in_cell;
            else if (start && row && (in_cell || in_row || in_group || table))
                closes = above + (in_cell || in_row) + (in_cell && above + 1 < open.size() &&
                                                         is_html_named(open[open.size() - 2 - above], "tr"));
            else if (start && !cell && !row && table) closes = above;
            else continue;
            while (closes-- > 0) pop();
            return true;
        }
        return false;
    }

    // Moves past the next `end` at or after from; false when there is none.
    bool skip_past(std::string_view end, std::size_t from) {
        const std::size_t found = html.find(end, from);
        at = found == npos ? html.size() : found + end.size();
        return found != npos;
    }

    bool skip_comment() {
        const std::size_t body = at + 4;  // after "<!--"
        if (html.substr(body).starts_with(">")) return skip_past(">", body);
        if (html.substr(body).starts_with("->")) return skip_past(">", body);
        for (std::size_t dashes = html.find("--", body); dashes != npos; dashes = html.find("--", dashes + 1)) {
            const std::string_view after = html.substr(dashes + 2);
            if (after.starts_with(">")) return skip_past(">", dashes);
            if (after.starts_with("!>")) return skip_past("!>", dashes);
        }
        at = html.size();
        return false;
    }

    // Script text ends at "</script", except inside "<!--" where a nested
    // "<script" must be closed first.
    void skip_script() {
        enum { data, escaped, double_escaped } state = data;
        for (std::size_t from = at;;) {
            const std::size_t lt = html.find('<', from);
            // "-->" holds no '<', so one before the next '<' ends the escape;
            // looking no further keeps this linear.
            const std::size_t dashes = state == data ? npos : html.substr(0, lt).find("-->", from);
            if (dashes != npos) {
                state = data;
                from = dashes + 3;
                continue;
            }
            if (lt == npos) break;
            const std::string_view rest = html.substr(lt);
            if (state == data && rest.starts_with("<!--")) {
                state = escaped;
                from = lt + 2;  // "<!-->" closes again at once
            } else if (state != double_escaped && is_end_tag_of(rest, "script")) {
                at = lt;
                return;
            } else if (state == escaped && is_start_tag_of(rest, "script")) {
                state = double_escaped;
                from = lt + 7;
            } else if (state == double_escaped && is_end_tag_of(rest, "script")) {
                state = escaped;
                from = lt + 8;
            } else {
                from = lt + 1;
            }
        }
        at = html.size();
    }

    void skip_raw_text(std::string_view name) {
        for (std::size_t lt = html.find("</", at); lt != npos; lt = html.find("</", lt + 1))
            if (is_end_tag_of(html.substr(lt), name)) {
                at = lt;
                return;
            }
        at = html.size();
    }

    // Reads a tag from its name to its '>' as the tokenizer does: a '>'
    // inside a quoted value does not end it. False at the end of the input.
    bool read_tag(tag& t) {
        const std::size_t name_start = at;
        while (at < html.size() && !is_blank(html[at]) && html[at] != '/' && html[at] != '>') ++at;
        t.name = html.substr(name_start, at - name_start);
        enum { before_name, in_name, after_name, before_value, unquoted } state = before_name;
        std::string_view attribute;
        std::size_t start = 0;
        auto note = [&](std::string_view value) {
            if (same_name(t.name, "font") &&
                (same_name(attribute, "color") || same_name(attribute, "face") || same_name(attribute, "size")))
                t.font_breaks_out = true;
            if (same_name(attribute, "encoding") &&
                (same_name(value, "text/html") || same_name(value, "application/xhtml+xml")))
                t.html_annotation = true;
        };
        for (; at < html.size(); ++at) {
            const char c = html[at];
            switch (state) {
            case before_name:
            case after_name:
                if (c == '>') {
                    t.self_closing = html[at - 1] == '/';
                    ++at;
                    return true;
                }
                if (c == '=' && state == after_name) state = before_value;
                else if (!is_blank(c) && c != '/') state = in_name, start = at;
                break;
            case in_name:
                if (is_blank(c) || c == '/' || c == '=' || c == '>') {
                    attribute = html.substr(start, at - start);
                    note({});
                    state = c == '=' ? before_value : after_name;
                    if (c == '>') --at;  // read it again as the tag's end
                }
                break;
            case before_value:
                if (c == '"' || c == '\'') {
                    const std::size_t close = html.find(c, at + 1);
                    if (close == npos) return false;
                    note(html.substr(at + 1, close - at - 1));
                    at = close;
                    state = before_name;
                } else if (c == '>') {
                    --at;
                    state = before_name;
                } else if (!is_blank(c)) {
                    state = unquoted, start = at;
                }
                break;
            case unquoted:
                if (is_blank(c) || c == '>') {
                    note(html.substr(start, at - start));
                    state = before_name;
                    if (c == '>') {
                        ++at;
                        return true;  // a '/' before it belongs to the value
                    }
                }
                break;
            }
        }
        return false;
    }

    void start_tag(const tag& t) {
        count_tag();
        const unsigned what = what_is(t.name);
        if (is_foreign(inside())) {
            if (!(what & breaks_out) && !t.font_breaks_out) {
                if (t.self_closing) return;
                const mode here = inside();
                const bool html_inside = here == mode::svg ? (what & svg_html_inside) != 0
                                                           : (what & math_html_inside) != 0 ||
                                                                 (same_name(t.name, "annotation-xml") && t.html_annotation);
                push(t.name, what, html_inside ? mode::html : here, true);
                return;
            }
            while (!open.empty() && is_foreign(open.back().holds)) pop();
        }
        if (inside() == mode::select && !start_in_select(t, what)) return;
        if (same_name(t.name, "plaintext")) {
            at = html.size();
            return;
        }
        if (same_name(t.name, "script")) return skip_script();
        if (what & raw_text) return skip_raw_text(t.name);
        if ((what & (void_element | merged)) || ((what & table_only) && open_tables == 0)) return;
        const bool svg = same_name(t.name, "svg"), math = same_name(t.name, "math");
        if ((svg || math) && t.self_closing) return;
        if (!((what & table_part) && close_table_parts(t.name, true)) && (what & closes_sibling) && !open.empty() &&
            is_html_named(open.back(), t.name))
            pop();
        if (what & formatting) {
            ++formatting_open[formatting_slot(t.name)];
            ++formatting_total;
        }
        const mode holds = svg ? mode::svg : math ? mode::math : same_name(t.name, "select") ? mode::select : mode::html;
        push(t.name, what, holds, false);
    }

    // Inside a select the parser takes options and ignores most other tags;
    // a few close the select first. True when the tag is still to be read
    // as HTML.
    bool start_in_select(const tag& t, unsigned what) {
        if (same_name(t.name, "option") || same_name(t.name, "optgroup")) {
            if (is_html_named(open.back(), "option")) pop();
            if (same_name(t.name, "optgroup") && is_html_named(open.back(), "optgroup")) pop();
            push(t.name, what, mode::select, false);
            return false;
        }
        if (same_name(t.name, "script")) {
            skip_script();
            return false;
        }
        if (same_name(t.name, "template")) {
            push(t.name, what, mode::html, false);
            return false;
        }
        const bool closes = same_name(t.name, "select") || same_name(t.name, "input") ||
                            same_name(t.name, "keygen") || same_name(t.name, "textarea") ||
                            ((what & table_part) && select_in_table());
        if (!closes) return false;
        close_select();
        return !same_name(t.name, "select");
    }

    // Closes the element the end tag names when the parser surely would: it
    // is open near the top, and nothing the parser stops at lies above it.
    void end_tag(std::string_view name) {
        count_tag();
        const unsigned what = what_is(name);
        if (what & formatting) {
            std::uint64_t& slot = formatting_open[formatting_slot(name)];
            if (slot > 0) --slot, --formatting_total;
        }
        if (inside() == mode::select) {
            if (same_name(name, "option") || same_name(name, "optgroup")) {
                if (is_html_named(open.back(), "option") && (same_name(name, "option") ||
                    (open.size() > 1 && is_html_named(open[open.size() - 2], "optgroup"))))
                    pop();
                if (same_name(name, "optgroup") && is_html_named(open.back(), "optgroup")) pop();
                return;
            }
            const bool closes = same_name(name, "select") || ((what & table_part) && select_in_table());
            if (!closes && !same_name(name, "template")) return;
            if (closes) close_select();
            if (same_name(name, "select")) return;
        }
        if ((what & table_part) && close_table_parts(name, false)) return;
        const unsigned stops = (what & scoped_end) ? scope_limit : scope_limit | special;
        for (std::size_t above = 0; above < open.size() && above < 64; ++above) {
            const open_element& element = open[open.size() - 1 - above];
            if (same_name(element.name, name)) {
                // </form> takes only the form away, not what it holds
                if (is_html_named(element, "form")) open.erase(open.end() - 1 - above);
                else
                    for (std::size_t i = 0; i <= above; ++i) pop();
                return;
            }
            if (element.what & stops) return;
        }
    }

    // Reads the markup that starts at the '<' under at; false at the end.
    bool step() {
        const std::string_view rest = html.substr(at);
        if (rest.starts_with("<!--")) return skip_comment();
        if (rest.size() < 2) return false;
        if (rest[1] == '!' || rest[1] == '?') {
            if (!open.empty() && open.back().foreign && rest.starts_with("<![CDATA[")) return skip_past("]]>", at + 9);
            return skip_past(">", at + 2);
        }
        tag t;
        if (rest[1] == '/') {
            if (rest.size() < 3 || !is_letter(rest[2])) return rest.size() >= 3 && skip_past(">", at + 2);
            at += 2;
            if (!read_tag(t)) return false;
            end_tag(t.name);
            return true;
        }
        if (!is_letter(rest[1])) {
            ++at;
            return true;
        }
        ++at;
        if (!read_tag(t)) return false;
        start_tag(t);
        return true;
    }
};

}  // namespace

std::uint64_t estimate_html_work(std::string_view html, std::uint64_t limit) {
    scanner scan;
    scan.html = html;
    while (scan.work <= limit) {
        const std::size_t lt = html.find('<', scan.at);
        if (lt == npos) break;
        scan.at = lt;
        if (!scan.step()) break;
    }
    return scan.work;
}
