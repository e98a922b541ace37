#include "formats/lenient_json.h"

#include <algorithm>
#include <cctype>
#include <functional>

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Skips blanks and what pages wrap a block in: "<!--", "<![CDATA[", and
// comments of either kind ("// <![CDATA[", "/*<![CDATA[*/").
std::size_t skip_wrapper(std::string_view text, std::size_t at) {
    for (;;) {
        while (at < text.size() && is_blank(text[at])) ++at;
        const std::string_view rest = text.substr(at);
        std::size_t end = npos;
        if (rest.starts_with("<!--")) end = at + 4;
        else if (rest.starts_with("<![CDATA[")) end = at + 9;
        else if (rest.starts_with("//")) end = text.find('\n', at);
        else if (rest.starts_with("/*")) end = (end = text.find("*/", at + 2)) == npos ? npos : end + 2;
        else return at;
        if (end == npos) return text.size();
        at = end;
    }
}

void append_control(unsigned char c, std::string& out) {
    static const char hex[] = "0123456789abcdef";
    switch (c) {
    case '\n': out += "\\n"; break;
    case '\r': out += "\\r"; break;
    case '\t': out += "\\t"; break;
    case '\b': out += "\\b"; break;
    case '\f': out += "\\f"; break;
    default: out += "\\u00", out += hex[c >> 4], out += hex[c & 15];
    }
}

// Copies the string literal that starts at text[at] and moves at past it.
void copy_string(std::string_view text, std::size_t& at, std::string& out) {
    out += '"';
    for (++at; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '"') {
            out += '"';
            ++at;
            return;
        }
        if (c == '\\' && at + 1 < text.size()) {
            const char escaped = text[++at];
            if (std::string_view("\"\\/bfnrtu").find(escaped) != npos) out += '\\', out += escaped;
            else if (static_cast<unsigned char>(escaped) < 0x20) append_control(escaped, out);
            else out += escaped;  // "\'" and other escapes JSON has not: the character itself
        } else if (static_cast<unsigned char>(c) < 0x20) {
            append_control(c, out);
        } else if (c != '\\') {
            out += c;
        }
    }
}

// Copies the number at text[at]; one no double can hold (a 400-digit one,
// say) becomes a string, which the reader then takes as text.
void copy_number(std::string_view text, std::size_t& at, std::string& out) {
    const std::size_t start = at;
    while (at < text.size() && std::string_view("+-.0123456789eE").find(text[at]) != npos) ++at;
    const std::string_view number = text.substr(start, at - start);
    const std::size_t exponent = number.find_first_of("eE");
    const bool too_large =
        number.size() > 40 || (exponent != npos && number.size() - exponent > 3 && number[exponent + 1] != '-');
    if (too_large) out += '"', out += number, out += '"';
    else out += number;
}

struct mended {
    std::string text;
    std::size_t end = 0;  // where the value ended in the input
    std::string failure;
    std::size_t dropped = 0;
};

// An object or array open while mending.
struct open_value {
    char kind;                // '{' or '['
    bool started = false;     // an array's first item is seen
    bool texts = false;       // then whether it is a list of texts
    std::size_t items = 0;    // the items of a list of texts
    std::size_t cut_bytes = 0;  // the bytes of the items left out of it
    bool name_next = false;   // an object's next text is the name of a member
    std::size_t name_at = 0;    // where the name of the member being read was copied to
    std::size_t name_size = 0;  // (0: none); text before it is never changed again
    std::string cuts;         // its lists that were cut, as members of json_left_out_key
};

// Notes in the object that held it what a list lost, as "name":[items,bytes].
void note_cut(const open_value& list, open_value& object, const std::string& copied) {
    if (list.kind != '[' || list.items <= json_list_limit || object.kind != '{' || object.name_size == 0) return;
    if (!object.cuts.empty()) object.cuts += ',';
    object.cuts += copied.substr(object.name_at, object.name_size) + ":[" + std::to_string(list.items - json_list_limit) + "," +
                   std::to_string(list.cut_bytes) + "]";
}

bool is_full_list(const std::vector<open_value>& open) {
    return !open.empty() && open.back().texts && open.back().items >= json_list_limit;
}

// Moves past the value at text[at] without copying it; a nested one is
// skipped by counting brackets outside strings, without recursion.
std::size_t skip_value(std::string_view text, std::size_t at) {
    int depth = 0;
    bool in_string = false;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (in_string) {
            if (c == '\\') ++at;
            else if (c == '"') in_string = false;
            else continue;
            if (depth == 0 && !in_string) return at + 1;
        } else if (c == '"') {
            in_string = true;
        } else if (c == '{' || c == '[') {
            ++depth;
        } else if (c == '}' || c == ']') {
            if (depth == 0) return at;
            if (--depth == 0) return at + 1;
        } else if (depth == 0 && (c == ',' || is_blank(c))) {
            return at;
        }
    }
    return at;
}

// Copies one value from text[at], mending as it goes, and stops after it.
mended mend_value(std::string_view text, std::size_t at, std::size_t& values, std::size_t value_limit) {
    mended m;
    const std::size_t limit = std::min(value_limit, values + json_held_value_limit);  // this value's own too
    int depth = 0;
    std::size_t last = npos;  // where the last character copied that is not blank went
    bool whole = false;
    std::vector<open_value> open;
    while (at < text.size() && !whole) {
        if (m.text.size() > json_held_byte_limit) {
            m.failure = "holds more than " + std::to_string(json_held_byte_limit >> 20) + " MB in one value";
            return m;
        }
        const char c = text[at];
        if (!open.empty() && open.back().kind == '[' && !is_blank(c) && c != ',' && c != ']') {
            open_value& list = open.back();
            if (!list.started) list.started = true, list.texts = c != '{' && c != '[';
            if (list.texts && ++list.items > json_list_limit) {
                const std::size_t after = skip_value(text, at);
                const std::size_t length = after > at ? after - at : 1;
                list.cut_bytes += text[at] == '"' && length >= 2 ? length - 2 : length;  // a text's quotes aside
                at = after > at ? after : at + 1;
                ++m.dropped;
                continue;
            }
        }
        if (c == ',' && is_full_list(open)) {
            ++at;
            continue;
        }
        if (c == '"') {
            const std::size_t start = m.text.size();
            copy_string(text, at, m.text);
            if (!open.empty() && open.back().name_next) {
                open.back().name_at = start;
                open.back().name_size = m.text.size() - start;
                open.back().name_next = false;
            }
            whole = depth == 0;
        } else if (c == '-' || is_digit(c)) {
            copy_number(text, at, m.text);
            whole = depth == 0;
        } else if (std::isalpha(static_cast<unsigned char>(c))) {  // true, false, null
            while (at < text.size() && std::isalpha(static_cast<unsigned char>(text[at]))) m.text += text[at++];
            whole = depth == 0;
        } else {
            if (c == '{' || c == '[') {
                if (++depth > json_depth_limit) {
                    m.failure = "nested more than " + std::to_string(json_depth_limit) + " deep";
                    return m;
                }
                open.push_back({.kind = c, .name_next = c == '{', .cuts = {}});
            } else if (c == '}' || c == ']') {
                if (last != npos && m.text[last] == ',') m.text.erase(last, 1);
                whole = --depth <= 0;
                if (!open.empty()) {
                    const open_value closed = std::move(open.back());
                    open.pop_back();
                    if (!open.empty()) note_cut(closed, open.back(), m.text);
                    if (c == '}' && !closed.cuts.empty())
                        m.text += ",\"" + std::string(json_left_out_key) + "\":{" + closed.cuts + "}";
                }
            } else if (c == ',' && !open.empty() && open.back().kind == '{') {
                open.back().name_next = true;
            }
            if ((c == '{' || c == '[' || c == ',') && ++values > limit) {
                m.failure = "holds more than " + std::to_string(values > value_limit ? value_limit : json_held_value_limit) +
                            " values";
                return m;
            }
            m.text += c;
            ++at;
            if (is_blank(c)) continue;
        }
        last = m.text.size() - 1;
    }
    m.end = at;
    return m;
}

std::string reason_of(const nlohmann::json::exception& error) {
    std::string reason = error.what();
    const std::size_t bracket = reason.find("] ");
    if (bracket != std::string::npos) reason.erase(0, bracket + 2);
    if (reason.size() > 160) reason = reason.substr(0, 157) + "...";
    return reason;
}

}  // namespace

namespace {

using value_taker = std::function<void(nlohmann::json&&)>;

// Reads one value at text[at] and hands it on; false after a failure.
bool read_one(std::string_view text, std::size_t& at, std::size_t& values, std::size_t value_limit,
              const value_taker& take, lenient_json& result) {
    mended value = mend_value(text, at, values, value_limit);
    result.dropped += value.dropped;
    if (!value.failure.empty()) {
        result.failure = std::move(value.failure);
        return false;
    }
    try {
        take(nlohmann::json::parse(value.text));
    } catch (const nlohmann::json::exception& error) {
        result.failure = reason_of(error);
        return false;
    }
    at = value.end;
    return true;
}

// The items of the array at text[at], each as a value of its own.
bool read_items(std::string_view text, std::size_t& at, std::size_t value_limit, const value_taker& take,
                lenient_json& result) {
    for (++at;;) {
        while (at < text.size() && (text[at] == ',' || is_blank(text[at]))) ++at;
        if (at >= text.size()) return true;
        if (text[at] == ']') return ++at, true;
        if (!read_one(text, at, result.value_count, value_limit, take, result)) return false;
    }
}

lenient_json read_values(std::string_view text, std::size_t value_limit, bool split_arrays, const value_taker& take) {
    lenient_json result;
    std::size_t at = skip_wrapper(text, 0);
    while (at < text.size()) {
        const bool read = split_arrays && text[at] == '['
                              ? read_items(text, at, value_limit, take, result)
                              : read_one(text, at, result.value_count, value_limit, take, result);
        if (!read) break;
        // Only another object or array goes on; anything else ends the text.
        at = skip_wrapper(text, at);
        while (at < text.size() && (text[at] == ';' || text[at] == ',' || is_blank(text[at]))) ++at;
        if (at >= text.size() || (text[at] != '{' && text[at] != '[')) break;
    }
    return result;
}

}  // namespace

lenient_json parse_lenient_json(std::string_view text, std::size_t value_limit) {
    std::vector<nlohmann::json> values;
    lenient_json result = read_values(text, value_limit, false, [&](nlohmann::json&& value) {
        values.push_back(std::move(value));
    });
    result.values = std::move(values);
    return result;
}

lenient_json read_lenient_json_each(std::string_view text, const value_taker& take, std::size_t value_limit) {
    return read_values(text, value_limit, true, take);
}
