#include "formats/charset.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <vector>

#include "formats/html_document.h"
#include "formats/text_encoding.h"

namespace {

constexpr std::string_view replacement = "\xEF\xBF\xBD";  // U+FFFD

class converter {
public:
    explicit converter(const char* from) : descriptor_(iconv_open("UTF-8", from)) {}
    ~converter() {
        if (ok()) iconv_close(descriptor_);
    }
    converter(const converter&) = delete;
    converter& operator=(const converter&) = delete;
    bool ok() const { return descriptor_ != reinterpret_cast<iconv_t>(-1); }

    // Converts bytes onto out until a byte that cannot be read (or the end);
    // gives the number of bytes read.
    std::size_t convert(std::string_view bytes, std::string& out) {
        char* in = const_cast<char*>(bytes.data());
        std::size_t left = bytes.size();
        char buffer[16384];
        for (;;) {
            char* to = buffer;
            std::size_t room = sizeof buffer;
            const std::size_t done = iconv(descriptor_, &in, &left, &to, &room);
            out.append(buffer, to - buffer);
            if (done != static_cast<std::size_t>(-1) || errno != E2BIG) break;
        }
        char* to = buffer;
        std::size_t room = sizeof buffer;
        iconv(descriptor_, nullptr, nullptr, &to, &room);  // ends a shift state, and starts afresh
        out.append(buffer, to - buffer);
        return bytes.size() - left;
    }

private:
    iconv_t descriptor_;
};

// Converts with `from`; a byte it cannot read goes to `fallback` when given.
// Gives how many bytes needed either.
std::size_t convert_all(converter& from, converter* fallback, std::string_view bytes, std::string& out) {
    std::size_t unreadable = 0;
    while (!bytes.empty()) {
        bytes.remove_prefix(from.convert(bytes, out));
        if (bytes.empty()) break;
        ++unreadable;
        if (!fallback || fallback->convert(bytes.substr(0, 1), out) != 1) out += replacement;
        bytes.remove_prefix(1);
    }
    return unreadable;
}

struct utf8_reading {
    std::string text;
    bool exact;  // every byte was part of UTF-8
};

utf8_reading read_utf8_or_windows_1252(std::string_view bytes) {
    converter utf8("UTF-8"), windows_1252("WINDOWS-1252");
    utf8_reading reading;
    reading.text.reserve(bytes.size());
    reading.exact = convert_all(utf8, &windows_1252, bytes, reading.text) == 0;
    return reading;
}

std::string lower_trimmed(std::string_view text) {
    const auto start = text.find_first_not_of(" \t\r\n\"'");
    const auto end = text.find_last_not_of(" \t\r\n\"'");
    std::string out;
    if (start == std::string_view::npos) return out;
    for (char c : text.substr(start, end - start + 1)) out += c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    return out;
}

// The character set named by <meta charset> or <meta http-equiv="Content-Type" content="...; charset=...">.
std::string declared_charset(const xmlNode* document) {
    for (const xmlNode* node = document; node; node = next_node(node, document)) {
        if (!is_element(node, "meta")) continue;
        if (has_attribute(node, "charset")) return lower_trimmed(attribute(node, "charset"));
        if (lower_trimmed(attribute(node, "http-equiv")) != "content-type") continue;
        const std::string value = lower_trimmed(attribute(node, "content"));
        const auto at = value.find("charset=");
        if (at != std::string::npos) return lower_trimmed(value.substr(at + 8, value.find(';', at) - at - 8));
    }
    return {};
}

// Pages name Latin-1 and ASCII where they mean Windows-1252, which browsers read them as.
bool means_windows_1252(const std::string& charset) {
    for (const char* name : {"iso-8859-1", "iso8859-1", "latin1", "latin-1", "l1", "cp819", "ibm819", "us-ascii",
                             "ascii", "windows-1252", "cp1252", "x-cp1252"})
        if (charset == name) return true;
    return false;
}

// UTF-8 with no byte order mark to take off (UTF-16's cannot be UTF-8).
bool is_plain_utf8(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) return false;
    utf8_check check;
    check.add(bytes);
    return check.valid();
}

// Counted before converting, so that a page that would grow to hundreds of
// megabytes is not converted at all.
std::size_t most_utf8_bytes(std::string_view bytes) {
    const auto high = std::count_if(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    return bytes.size() + 2 * static_cast<std::size_t>(high);
}

std::optional<std::string> converted_from_bom(std::string_view bytes) {
    const char* charset = bytes.starts_with("\xEF\xBB\xBF")   ? "UTF-8"
                          : bytes.starts_with("\xFF\xFE") ? "UTF-16LE"
                          : bytes.starts_with("\xFE\xFF") ? "UTF-16BE"
                                                          : nullptr;
    if (!charset) return std::nullopt;
    bytes.remove_prefix(charset[4] == '8' ? 3 : 2);
    if (charset[4] == '8') return read_utf8_or_windows_1252(bytes).text;
    converter from(charset);
    std::string out;
    convert_all(from, nullptr, bytes, out);
    return out;
}

}  // namespace

std::string text_to_utf8(std::string_view bytes) {
    if (auto converted = converted_from_bom(bytes)) return std::move(*converted);
    return read_utf8_or_windows_1252(bytes).text;
}

std::string page_to_utf8(std::string_view bytes) {
    if (auto converted = converted_from_bom(bytes)) return std::move(*converted);
    utf8_reading reading = read_utf8_or_windows_1252(bytes);
    if (reading.exact) return std::move(reading.text);
    // The declaration sits in the head; the start of the page, read as
    // UTF-8 with stray bytes, shows it.
    const html_document head = parse_html(std::string_view(reading.text).substr(0, 65536));
    const std::string charset = head.tree ? declared_charset(head.root()) : std::string();
    if (charset.empty() || charset == "utf-8" || charset == "utf8") return std::move(reading.text);
    converter declared(means_windows_1252(charset) ? "WINDOWS-1252" : charset.c_str());
    if (!declared.ok()) return std::move(reading.text);
    std::string out;
    convert_all(declared, nullptr, bytes, out);
    return out;
}

std::optional<std::string_view> page_as_utf8(std::string_view bytes, std::string& held, std::size_t largest) {
    if (is_plain_utf8(bytes)) return bytes;
    if (most_utf8_bytes(bytes) > largest) return std::nullopt;
    return held = page_to_utf8(bytes);
}

std::optional<std::string_view> text_as_utf8(std::string_view bytes, std::string& held, std::size_t largest) {
    if (is_plain_utf8(bytes)) return bytes;
    if (most_utf8_bytes(bytes) > largest) return std::nullopt;
    return held = text_to_utf8(bytes);
}
