#include "formats/export_fields.h"

#include <cctype>

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

std::string join_ingredient(std::string_view amount, std::string_view unit, std::string_view food) {
    std::string line;
    for (std::string_view part : {is_zero(trim(amount)) ? std::string_view() : trim(amount), trim(unit), trim(food)}) {
        if (part.empty()) continue;
        if (!line.empty()) line += ' ';
        line += part;
    }
    return line;
}

std::string heading_line(std::string_view words) {
    std::string line(trim(words));
    if (!line.empty() && !line.ends_with(':')) line += ':';
    return line;
}

std::string host_of(std::string_view url) {
    url = trim(url);
    const size_t scheme = url.find("://");
    if (scheme == std::string_view::npos || (url.substr(0, scheme) != "http" && url.substr(0, scheme) != "https"))
        return {};
    url.remove_prefix(scheme + 3);
    url = url.substr(0, url.find_first_of("/?#"));
    if (const size_t at = url.rfind('@'); at != std::string_view::npos) url.remove_prefix(at + 1);
    if (const size_t colon = url.rfind(':'); colon != std::string_view::npos) url = url.substr(0, colon);
    std::string host(url);
    for (char& c : host) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return host;
}

void set_source(found_recipe& recipe, std::string_view text, std::string_view url) {
    text = trim(text);
    url = trim(url);
    // Some exports put the web address in the source field itself.
    if (url.empty() && !host_of(text).empty()) std::swap(text, url);
    recipe.source = !text.empty() ? std::string(text) : host_of(url);
    if (!url.empty()) recipe.directions.push_back("Source: " + std::string(url));
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

void add_notes(found_recipe& recipe, const std::vector<std::string>& notes) {
    if (notes.empty()) return;
    recipe.directions.push_back("Notes:");
    recipe.directions.insert(recipe.directions.end(), notes.begin(), notes.end());
}

std::string_view without_byte_order_mark(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    return text;
}
