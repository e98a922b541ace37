#include "shell/fields.h"

#include <algorithm>

#include "shell/text.h"

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

void skip_blanks(const std::string& data, size_t& pos) {
    while (pos < data.size() && is_blank(data[pos])) ++pos;
}

// Takes one comma or one line end (CR LF, LF or a lone CR) when it is next.
void take_field_end(const std::string& data, size_t& pos) {
    if (pos >= data.size()) return;
    if (data[pos] == ',' || data[pos] == '\n') {
        ++pos;
    } else if (data[pos] == '\r') {
        ++pos;
        if (pos < data.size() && data[pos] == '\n') ++pos;
    }
}

// One field as written, without quotes, as a view into `data`. A field
// longer than `limit` keeps its first `limit` bytes and the rest of it is
// skipped, so that the fields after it stay in step.
std::string_view read_raw_field(const std::string& data, size_t& pos, bool keep_blanks, size_t limit) {
    skip_blanks(data, pos);
    if (pos < data.size() && data[pos] == '"') {
        // Inside quotes commas, blanks and line ends are ordinary bytes.
        // An inline scan: fields are short, and an index load reads hundreds
        // of thousands of them.
        const auto quote = std::find(data.begin() + static_cast<std::ptrdiff_t>(pos) + 1, data.end(), '"');
        size_t close = quote == data.end() ? std::string::npos : static_cast<size_t>(quote - data.begin());
        size_t end = close == std::string::npos ? data.size() : close;
        std::string_view field(data.data() + pos + 1, std::min(end - pos - 1, limit));
        pos = close == std::string::npos ? data.size() : close + 1;
        // Anything but blanks and one field end is left for the next field.
        skip_blanks(data, pos);
        take_field_end(data, pos);
        return field;
    }
    size_t start = pos;
    while (pos < data.size()) {
        char c = data[pos];
        if (c == ',' || c == '\r' || c == '\n' || (!keep_blanks && is_blank(c))) break;
        ++pos;
    }
    std::string_view field(data.data() + start, std::min(pos - start, limit));
    skip_blanks(data, pos);
    take_field_end(data, pos);
    return field;
}

// A whole number: optional sign and digits, clamped to the int64 range.
int64_t whole_number(std::string_view field) {
    size_t i = field.find_first_not_of(" \t");
    if (i == std::string_view::npos) return 0;
    bool negative = false;
    if (field[i] == '+' || field[i] == '-') negative = field[i++] == '-';
    constexpr uint64_t beyond = uint64_t{1} << 63;  // one past INT64_MAX
    uint64_t magnitude = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i)
        magnitude = magnitude > beyond / 10
                        ? beyond
                        : std::min(magnitude * 10 + static_cast<uint64_t>(field[i] - '0'), beyond);
    if (negative) return magnitude == beyond ? INT64_MIN : -static_cast<int64_t>(magnitude);
    return magnitude == beyond ? INT64_MAX : static_cast<int64_t>(magnitude);
}

}  // namespace

std::string read_text_field(const std::string& data, size_t& pos, bool keep_blanks) {
    return std::string(read_text_view(data, pos, keep_blanks));
}

std::string_view read_text_view(const std::string& data, size_t& pos, bool keep_blanks) {
    return read_raw_field(data, pos, keep_blanks, max_text_field);
}

int64_t read_number_from(const std::string& data, size_t& pos) {
    std::string_view field = read_raw_field(data, pos, false, max_number_field);
    if (field.find('.') != std::string_view::npos) return round_half_even(text_to_number(std::string(field)));
    return whole_number(field);
}

std::string encode_text_field(const std::string& text) {
    std::string encoded;
    append_text_field(encoded, text);
    return encoded;
}

void append_text_field(std::string& out, std::string_view text) {
    out += '"';
    // A double quote inside would end the field early when read back.
    // Fields are short: an inline scan is several times cheaper here than
    // the library's search, which an index save calls for every field.
    auto from = text.begin();
    for (auto quote = from; (quote = std::find(from, text.end(), '"')) != text.end(); from = quote + 1) {
        out.append(from, quote);
        out += "''";
    }
    out.append(from, text.end());
    out += '"';
}
