#include "formats/format_list.h"

#include <algorithm>
#include <cctype>

#include "formats/mealie.h"
#include "formats/mela.h"
#include "formats/paprika.h"
#include "formats/recipe_sage.h"
#include "formats/schema_org.h"
#include "formats/tandoor.h"

namespace {

bool mentions_html(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    // A saved piece of a page may lack the outer tags but still name its schema.
    for (const char* tag : {"<html", "<!doctype html", "<head", "<body", "schema.org"})
        if (lower.find(tag) != std::string::npos) return true;
    return false;
}

std::string_view skip_blanks(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n\f");
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

bool is_text(std::string_view start) {
    return !start.empty() && start.find('\0') == std::string_view::npos;
}

bool is_web_page(std::string_view start, std::string_view) {
    const std::string_view text = skip_blanks(start);
    return is_text(start) && text.starts_with('<') && mentions_html(text);
}

bool is_json(std::string_view start, std::string_view) {
    const std::string_view text = skip_blanks(start);
    return is_text(start) && (text.starts_with('{') || text.starts_with('['));
}

// MealMaster text shows itself only in a header line somewhere in the file,
// which read_file.h looks for while it streams the file.
bool may_be_mealmaster(std::string_view start, std::string_view) {
    return is_text(start);
}

const recipe_format formats[] = {
    {"web pages", is_web_page, read_recipe_page},
    {"Paprika", is_paprika, read_paprika},
    {"Mealie", is_mealie_backup, read_mealie_backup},
    {"Mealie", is_mealie_recipe, read_mealie_recipe},
    {"Tandoor", is_tandoor, read_tandoor},
    {"Mela", is_mela, read_mela},
    {"RecipeSage", is_recipe_sage, read_recipe_sage},
    {"Nextcloud Cookbook", is_nextcloud, read_nextcloud},
    {"schema.org JSON", is_json, read_recipe_json},
    {"MealMaster", may_be_mealmaster, nullptr},
};

}  // namespace

std::span<const recipe_format> recipe_formats() {
    return formats;
}

const recipe_format* find_recipe_format(std::string_view start, std::string_view file_name) {
    for (const recipe_format& format : formats)
        if (format.recognise(start, file_name)) return &format;
    return nullptr;
}
