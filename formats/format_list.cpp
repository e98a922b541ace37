#include "formats/format_list.h"

#include <algorithm>
#include <cctype>

#include "formats/charset.h"
#include "formats/chowdown.h"
#include "formats/cooklang.h"
#include "formats/copy_me_that.h"
#include "formats/csv_exports.h"
#include "formats/gourmet.h"
#include "formats/krecipes.h"
#include "formats/mastercook.h"
#include "formats/mealie.h"
#include "formats/mela.h"
#include "formats/my_cookbook.h"
#include "formats/paprika.h"
#include "formats/recipe_keeper.h"
#include "formats/recipe_sage.h"
#include "formats/rezkonv.h"
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

// A reader that gives back all it finds at once.
template <read_result (*read_whole)(std::string_view, const std::string&)>
read_result whole(std::string_view bytes, const std::string& file_name, const found_taker&,
                  const std::function<void()>&) {
    return read_whole(bytes, file_name);
}

const recipe_format formats[] = {
    {"MasterCook", is_mastercook_xml, whole<read_mastercook_xml>},
    {"Gourmet", is_gourmet, whole<read_gourmet>},
    {"KRecipes", is_krecipes, whole<read_krecipes>},
    {"MyCookbook", is_my_cookbook, whole<read_my_cookbook>},
    {"Plan to Eat", is_plan_to_eat, whole<read_plan_to_eat>},
    {"My Recipe Box", is_my_recipe_box, whole<read_my_recipe_box>},
    {"Chowdown", is_chowdown, whole<read_chowdown>},
    {"RezKonv", is_rezkonv, whole<read_rezkonv>},
    {"MasterCook", is_mastercook_text, whole<read_mastercook_text>},
    {"Cooklang", is_cooklang, whole<read_cooklang>},
    {"Copy Me That", is_copy_me_that, whole<read_copy_me_that>},
    {"Recipe Keeper", is_recipe_keeper, whole<read_recipe_keeper>},
    {"web pages", is_web_page, read_recipe_page},
    {"Paprika", is_paprika, whole<read_paprika>},
    {"Mealie", is_mealie_backup, whole<read_mealie_backup>},
    {"Mealie", is_mealie_recipe, whole<read_mealie_recipe>},
    {"Tandoor", is_tandoor, whole<read_tandoor>},
    {"Mela", is_mela, whole<read_mela>},
    {"RecipeSage", is_recipe_sage, whole<read_recipe_sage>},
    {"Nextcloud Cookbook", is_nextcloud, whole<read_nextcloud>},
    {"schema.org JSON", is_json, read_recipe_json},
    {"MealMaster", may_be_mealmaster, nullptr},
};

}  // namespace

std::span<const recipe_format> recipe_formats() {
    return formats;
}

const recipe_format* find_recipe_format(std::string_view start, std::string_view file_name) {
    // A page or JSON file saved as UTF-16 is told by what it says, not by its NUL bytes.
    const bool utf16 = start.starts_with("\xFF\xFE") || start.starts_with("\xFE\xFF");
    const std::string converted = utf16 ? text_to_utf8(start) : std::string();
    if (utf16) start = converted;
    for (const recipe_format& format : formats)
        if (format.recognise(start, file_name)) return &format;
    return nullptr;
}
