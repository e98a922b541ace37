#include "formats/markdown_text.h"

#include <cctype>

#include "formats/clean_text.h"
#include "formats/export_fields.h"

namespace {

std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// "# Title" gives the title and true.
bool take_heading(std::string_view& line) {
    const size_t marks = line.find_first_not_of('#');
    if (marks == 0 || marks == std::string_view::npos || marks > 6 || line[marks] != ' ') return false;
    line = trimmed(line.substr(marks));
    while (line.ends_with('#')) line = trimmed(line.substr(0, line.size() - 1));
    return true;
}

// "* item", "- item", "+ item", "1. item" and "> quote" keep their text.
void drop_marker(std::string_view& line) {
    for (std::string_view marker : {"* ", "- ", "+ ", "> "})
        if (line.starts_with(marker)) line = trimmed(line.substr(2));
    line = without_list_number(line);
}

// Emphasis and code marks dropped, "[text](target)" and "![text](target)"
// give the text. A lone "*" between blanks ("2 * 3") stays.
std::string inline_plain(std::string_view line) {
    std::string plain;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '!' && i + 1 < line.size() && line[i + 1] == '[') continue;
        if (c == '[') {
            const size_t close = line.find("](", i);
            const size_t end = close == std::string_view::npos ? close : line.find(')', close);
            if (end != std::string_view::npos) {
                plain += inline_plain(line.substr(i + 1, close - i - 1));
                i = end;
                continue;
            }
        }
        if (c == '*' || c == '`' || c == '~' || c == '_') {
            const bool blank_before = i == 0 || line[i - 1] == ' ';
            const bool blank_after = i + 1 == line.size() || line[i + 1] == ' ';
            const auto word_char = [&](size_t at) { return std::isalnum(static_cast<unsigned char>(line[at])) != 0; };
            const bool inside_word = c == '_' && !blank_before && !blank_after && word_char(i - 1) && word_char(i + 1);
            if (!(blank_before && blank_after) && !inside_word) continue;
        }
        plain += c;
    }
    return plain;
}

}  // namespace

std::vector<std::string> markdown_lines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = trimmed(text.substr(start, end - start));
        if (line.ends_with('\r')) line = trimmed(line.substr(0, line.size() - 1));
        start = end + 1;
        const bool heading = take_heading(line);
        drop_marker(line);
        if (line.find_first_not_of("-*_= ") == std::string_view::npos) continue;  // a rule, or empty
        std::string plain = clean_line(inline_plain(line));
        if (plain.empty()) continue;
        if (heading && !plain.ends_with(':')) plain += ':';
        lines.push_back(std::move(plain));
    }
    return lines;
}
