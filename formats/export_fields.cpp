#include "formats/export_fields.h"

#include "formats/clean_text.h"
#include "formats/web_address.h"

namespace {

std::string_view trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// "0", "0.0", "0,00": exports write these where there is no amount.
bool is_zero(std::string_view amount) {
    return !amount.empty() && amount.find_first_not_of("0.,") == std::string_view::npos;
}

}  // namespace

std::string joined_parts(std::initializer_list<std::string_view> parts) {
    std::string line;
    for (std::string_view part : parts) {
        const std::string clean = clean_line(part);
        if (clean.empty()) continue;
        if (!line.empty()) line += ' ';
        line += clean;
    }
    return line;
}

std::string join_ingredient(std::string_view amount, std::string_view unit, std::string_view food) {
    return joined_parts({is_zero(trim(amount)) ? std::string_view() : amount, unit, food});
}

std::string heading_line(std::string_view words) {
    std::string line = clean_line(words);
    if (!line.empty() && !line.ends_with(':')) line += ':';
    return line;
}

void set_source(found_recipe& recipe, std::string_view text, std::string_view url) {
    std::string source = clean_line(text);
    std::string address = clean_line(url);
    if (address.empty() && !absolute_url(source).empty()) std::swap(source, address);
    // An address field that holds no web address is still kept, as text.
    recipe.source = !source.empty() || absolute_url(address).empty() ? source : host_of_url(address);
    if (!address.empty()) recipe.directions.push_back("Source: " + address);
}

void add_notes(found_recipe& recipe, const std::vector<std::string>& notes) {
    if (notes.empty()) return;
    recipe.directions.push_back("Notes:");
    recipe.directions.insert(recipe.directions.end(), notes.begin(), notes.end());
}

std::vector<std::string> text_lines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const size_t end = text.find_first_of("\r\n");
        const std::string_view line = trim(text.substr(0, end));
        if (!line.empty()) lines.emplace_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::vector<std::string> text_paragraphs(std::string_view text) {
    std::vector<std::string> paragraphs;
    std::string paragraph;
    auto end_paragraph = [&] {
        if (!paragraph.empty()) paragraphs.push_back(std::move(paragraph));
        paragraph.clear();
    };
    while (true) {
        const size_t end = text.find('\n');
        const std::string_view line = trim(text.substr(0, end));
        if (line.empty()) end_paragraph();
        else {
            if (!paragraph.empty()) paragraph += ' ';
            paragraph += line;
        }
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    end_paragraph();
    return paragraphs;
}

std::vector<std::string> plain_lines(std::string_view text) {
    std::string lines;
    lines.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const std::string_view next = text.substr(at, 3);
        const bool separator = next == "\u2028" || next == "\u2029";
        if (separator) lines += '\n';
        else lines += text[at];
        at += separator ? 3 : 1;
    }
    std::vector<std::string> result;
    size_t start = 0;
    while (start <= lines.size()) {
        size_t end = lines.find_first_of("\r\n", start);
        if (end == std::string::npos) end = lines.size();
        std::string line = clean_line(std::string_view(lines).substr(start, end - start));
        if (!line.empty()) result.push_back(std::move(line));
        start = end + 1;
    }
    return result;
}

std::string_view without_list_number(std::string_view step) {
    const size_t digits = step.find_first_not_of("0123456789");
    if (digits == 0 || digits == std::string_view::npos || digits > 3) return step;
    const std::string_view after = step.substr(digits);
    if (!after.starts_with(". ") && !after.starts_with(") ")) return step;
    const size_t text = step.find_first_not_of(' ', digits + 1);
    return text == std::string_view::npos ? step : step.substr(text);
}

std::string_view without_byte_order_mark(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    return text;
}
