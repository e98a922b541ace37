#include "shell/text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

std::string int_to_text(int64_t value) {
    return std::to_string(value);
}

std::string double_to_text(double value) {
    if (value == 0) return "0";  // also turns -0 into "0"
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.16g", value);
    return buffer;
}

// Reads an optional sign, digits, an optional decimal point with digits and
// an optional exponent, after leading blanks; everything after is ignored.
// Written by hand because strtod also takes "inf", "nan" and hex numbers.
double text_to_number(const std::string& text) {
    size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    const size_t start = pos;
    auto digits = [&] {
        size_t first = pos;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') ++pos;
        return pos - first;
    };
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    size_t mantissa_digits = digits();
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        mantissa_digits += digits();
    }
    if (mantissa_digits == 0) return 0;
    const size_t mantissa_end = pos;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
        if (digits() == 0) pos = mantissa_end;  // "5e" is just 5
    }
    // from_chars takes no leading '+'.
    size_t from = text[start] == '+' ? start + 1 : start;
    double value = 0;
    auto result = std::from_chars(text.data() + from, text.data() + pos, value);
    // Out of range: strtod gives an infinity of that sign, or 0 for a
    // tiny one (the program keeps the "C" locale, so '.' is the point).
    if (result.ec == std::errc::result_out_of_range)
        value = std::strtod(text.substr(from, pos - from).c_str(), nullptr);
    return value;
}

int64_t round_half_even(double value) {
    if (std::isnan(value)) return 0;
    // 2^63 is exactly representable; every double below it fits in int64.
    constexpr double limit = 9223372036854775808.0;
    if (value >= limit) return std::numeric_limits<int64_t>::max();
    if (value < -limit) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(std::nearbyint(value));  // default mode: half to even
}

std::string upper_case(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

int find_text(const std::string& haystack, const std::string& needle, int from) {
    if (from < 1) from = 1;
    if (static_cast<size_t>(from - 1) > haystack.size()) return 0;
    size_t found = haystack.find(needle, static_cast<size_t>(from - 1));
    return found == std::string::npos ? 0 : static_cast<int>(found) + 1;
}

std::string trim_blanks(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string with_thousands(uint64_t number) {
    const std::string digits = std::to_string(number);
    std::string grouped;
    for (size_t at = 0; at < digits.size(); ++at) {
        if (at > 0 && (digits.size() - at) % 3 == 0) grouped += ',';
        grouped += digits[at];
    }
    return grouped;
}
