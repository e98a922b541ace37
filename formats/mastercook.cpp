#include "formats/mastercook.h"

#include <algorithm>
#include <cctype>

#include "formats/charset.h"
#include "formats/export_fields.h"
#include "formats/web_address.h"
#include "formats/text_encoding.h"
#include "formats/xml_document.h"
#include "formats/yield.h"

namespace {

std::string_view trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string_view trim_end(std::string_view text) {
    const size_t last = text.find_last_not_of(" \t\r\n");
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

std::string_view part_of(std::string_view line, size_t from, size_t to) {
    if (from >= line.size()) return {};
    return trim(line.substr(from, to - from));
}

// "* Exported from MasterCook *", spaced in many ways.
bool is_export_line(std::string_view line) {
    line = trim(line);
    if (!line.starts_with('*')) return false;
    std::string words;
    for (char c : line)
        if (c != ' ' && c != '\t') words += c;
    return words.find("ExportedfromMasterCook") != std::string::npos;
}

std::string_view strip(std::string_view text, std::string_view marks) {
    const size_t first = text.find_first_not_of(marks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(marks) - first + 1);
}

// "*Topping*", "=== SAUCE ===": an item wrapped in symbols is a heading.
std::string_view heading_of(std::string_view item) {
    constexpr std::string_view symbols = "*=-_#~ ";
    if (item.empty() || symbols.find(item.front()) == std::string_view::npos ||
        symbols.find(item.back()) == std::string_view::npos)
        return {};
    return strip(item, symbols);
}

// The columns of the ingredient rows, taken from the dashes under their
// titles: some files are shifted by a column.
struct columns {
    size_t measure = 10, item = 24, item_end = 80;
};

bool read_columns(std::string_view dashes, columns& found) {
    std::vector<std::pair<size_t, size_t>> runs;
    for (size_t at = dashes.find('-'); at != std::string_view::npos; at = dashes.find('-', at)) {
        const size_t end = std::min(dashes.find_first_not_of('-', at), dashes.size());
        runs.emplace_back(at, end);
        at = end;
    }
    if (runs.size() < 3) return false;
    found = {runs[1].first, runs[2].first, runs[2].second};
    return true;
}

class mxp_reader {
public:
    explicit mxp_reader(read_result& result) : result(result) {}

    void add_line(std::string_view line) {
        if (is_export_line(line)) {
            finish();
            now = part::title;
            return;
        }
        const std::string_view text = trim(line);
        switch (now) {
        case part::outside:
            return;
        case part::title:
            if (!text.empty()) {
                recipe.name = text;
                now = part::attributes;
            }
            return;
        case part::attributes:
            add_attribute(line, text);
            return;
        case part::dashes:
            if (!read_columns(line, edges)) edges = {};
            now = part::ingredients;
            return;
        case part::ingredients:
            if (text.empty()) now = part::directions;
            else add_ingredient(line);
            return;
        case part::directions:
            add_direction(text);
            return;
        }
    }

    void finish() {
        if (now == part::outside) return;
        end_paragraph();
        set_source(recipe, source, url);
        apply_yield(recipe, yield);
        result.recipes.push_back(std::move(recipe));
        recipe = {};
        source.clear();
        url.clear();
        yield.clear();
        pending_value.clear();
        previous_row = 0;
        now = part::outside;
    }

private:
    enum class part { outside, title, attributes, dashes, ingredients, directions };

    void add_attribute(std::string_view line, std::string_view text) {
        if (text.starts_with("Amount") && text.find("Ingredient") != std::string_view::npos) {
            now = part::dashes;
            return;
        }
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos) return;
        const std::string_view key = trim(line.substr(0, colon)), value = trim(line.substr(colon + 1));
        if (key == "Recipe By") {
            recipe.author = value;
        } else if (key == "Serving Size") {
            // "2     Preparation Time :0:20"; 0 is not known.
            const std::string_view count = value.substr(0, value.find(' '));
            if (count.find_first_not_of("0123456789") == std::string_view::npos && count != "0")
                apply_yield(recipe, count);
        }
    }

    void add_ingredient(std::string_view line) {
        line = trim_end(line);
        const std::string_view amount = part_of(line, 0, edges.measure);
        const std::string_view measure = part_of(line, edges.measure, edges.item);
        const std::string_view item = part_of(line, edges.item, line.size());
        const size_t row = previous_row;
        previous_row = line.size();
        if (amount.empty() && measure.empty()) {
            if (const std::string_view heading = heading_of(item); !heading.empty()) {
                recipe.ingredients.push_back(heading_line(heading));
                previous_row = 0;
                return;
            }
            // A row that continues the item above: its first word did not
            // fit on the row above. Items without an amount stand alone.
            const size_t first_word = std::min(item.find(' '), item.size());
            if (row > 0 && row + 1 + first_word > edges.item_end) {
                recipe.ingredients.back().append(" ").append(item);
                return;
            }
        }
        if (std::string joined = join_ingredient(amount, measure, item); !joined.empty())
            recipe.ingredients.push_back(std::move(joined));
        else
            previous_row = 0;
    }

    // Directions are paragraphs. After them MasterCook 6 writes "Source:",
    // "Yield:" and "S(Internet address):", each with its value quoted on
    // the next line.
    void add_direction(std::string_view text) {
        if (!pending_value.empty()) {
            if (text.empty()) return;
            std::string_view value = text;
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
            if (pending_value == "Source") source = value;
            else if (pending_value == "Yield") yield = value;
            else if (!absolute_url(value).empty() && url.empty()) url = value;
            else recipe.directions.push_back(pending_value + ": " + std::string(value));
            pending_value.clear();
            return;
        }
        if (text == "Source:" || text == "Yield:" || (text.starts_with("S(") && text.ends_with("):"))) {
            end_paragraph();
            pending_value = text.starts_with("S(") ? text.substr(2, text.size() - 4) : text.substr(0, text.size() - 1);
            return;
        }
        if (text.starts_with("- - - -")) {
            finish();
            return;
        }
        if (text.empty()) end_paragraph();
        else paragraph.append(paragraph.empty() ? "" : " ").append(text);
    }

    void end_paragraph() {
        if (!paragraph.empty()) recipe.directions.push_back(std::move(paragraph));
        paragraph.clear();
    }

    read_result& result;
    part now = part::outside;
    found_recipe recipe;
    columns edges;
    size_t previous_row = 0;  // length of the row above while it may wrap
    std::string paragraph, source, url, yield, pending_value;
};

template <typename Handler>
void for_each_line(std::string_view text, Handler&& handle) {
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) line.remove_suffix(1);
        handle(line);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
}

read_result read_mxp(std::string_view utf8) {
    read_result result;
    mxp_reader reader(result);
    for_each_line(utf8, [&](std::string_view line) { reader.add_line(line); });
    reader.finish();
    return result;
}

// ---- .mx2

// The ingredient lines the embedded .mxp text shows, wrapped items joined.
std::vector<std::string> shown_ingredients(const xmlNode* recipe) {
    const xmlNode* text = child_named(recipe, "RTxt");
    if (!text) return {};
    read_result shown = read_mxp(raw_text(text));
    return shown.recipes.empty() ? std::vector<std::string>() : shown.recipes.front().ingredients;
}

// Whether a shown line near the item's own place holds the joined text.
// Only near it: alternatives and headings shift the places a little, and
// searching them all would cost a huge recipe the square of its length.
bool shows_joined(const std::vector<std::string>& shown, size_t place, const std::string& joined) {
    constexpr size_t reach = 8;
    const size_t first = place > reach ? place - reach : 0, end = std::min(place + reach, shown.size());
    for (size_t i = first; i < end; ++i)
        if (shown[i].find(joined) != std::string::npos) return true;
    return false;
}

void add_ingredients(const xmlNode* node, found_recipe& recipe) {
    const std::vector<std::string> shown = shown_ingredients(node);
    std::string last_name;
    for (const xmlNode* item : children_named(node, "IngR")) {
        const std::string name = attribute(item, "name");
        const std::string amount = attribute(item, "qty"), unit = attribute(item, "unit");
        const std::string prep = child_text(item, "IPrp");
        if (name.starts_with("===")) {
            recipe.ingredients.push_back(heading_line(strip(name, "= ")));
            last_name.clear();
            continue;
        }
        const bool bare = join_ingredient(amount, unit, "").empty();
        if (!recipe.ingredients.empty() && !last_name.empty()) {
            // "= (or lime)": an alternative to the item above.
            if (name.starts_with("= (or") || name.starts_with("=(or")) {
                recipe.ingredients.back().append(" ").append(trim(std::string_view(name).substr(1)));
                continue;
            }
            // The second half of an item cut in two, as the .mxp text shows.
            if (bare && prep.empty() && shows_joined(shown, recipe.ingredients.size() - 1, last_name + " " + name)) {
                recipe.ingredients.back() += " " + name;
                last_name += " " + name;
                continue;
            }
        }
        std::string line = join_ingredient(amount, unit, name);
        if (!prep.empty()) line += " -- " + prep;
        if (line.empty()) continue;
        recipe.ingredients.push_back(line);
        last_name = name;
    }
}

found_recipe read_mx2_recipe(const xmlNode* node) {
    found_recipe recipe;
    recipe.name = attribute(node, "name");
    recipe.author = attribute(node, "author");
    recipe.description = child_text(node, "Desc");
    add_ingredients(node, recipe);
    for (const xmlNode* step : children_named(child_named(node, "DirS"), "DirT"))
        for (const std::string& paragraph : text_paragraphs(raw_text(step))) recipe.directions.push_back(paragraph);
    add_notes(recipe, text_paragraphs(child_text(node, "Note")));
    set_source(recipe, child_text(node, "Srce"), "");
    const xmlNode* yield = child_named(node, "Yield");
    apply_yield(recipe, join_ingredient(attribute(yield, "qty"), attribute(yield, "unit"), ""));
    // 0 servings: not known.
    const std::string servings = attribute(child_named(node, "Serv"), "qty");
    if (servings != "0") apply_yield(recipe, servings);
    return recipe;
}

// MasterCook declares ISO-8859-1 yet writes Windows-1252 quotes, and may put
// `standalone` before `encoding`, which the parser refuses. So the
// declaration goes, and the bytes say their encoding: UTF-8 when they are.
std::string_view without_declaration(std::string_view bytes) {
    if (!bytes.starts_with("<?xml")) return bytes;
    const size_t end = bytes.find("?>");
    return end == std::string_view::npos ? bytes : bytes.substr(end + 2);
}

}  // namespace

bool is_mastercook_text(std::string_view start, std::string_view) {
    bool found = false;
    for_each_line(start, [&](std::string_view line) { found = found || is_export_line(line); });
    return found;
}

read_result read_mastercook_text(std::string_view bytes, const std::string&) {
    return read_mxp(text_to_utf8(without_byte_order_mark(bytes)));
}

bool is_mastercook_xml(std::string_view start, std::string_view) {
    return xml_root_name(start) == "mx2";
}

read_result read_mastercook_xml(std::string_view bytes, const std::string&) {
    read_result result;
    bytes = without_declaration(without_byte_order_mark(bytes));
    utf8_check check;
    check.add(bytes);
    const std::string note = read_xml_records(bytes, check.valid() ? "UTF-8" : "WINDOWS-1252", "RcpE",
                                              [&](const xmlNode* node) { result.recipes.push_back(read_mx2_recipe(node)); });
    if (!note.empty()) result.notes.push_back(note);
    return result;
}
