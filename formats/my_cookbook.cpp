#include "formats/my_cookbook.h"

#include "formats/clean_text.h"
#include "formats/export_fields.h"
#include "formats/xml_document.h"
#include "formats/yield.h"

namespace {

// A field as <li> items, or as plain text (older exports): its lines.
std::vector<std::string> items_of(const xmlNode* field) {
    std::vector<std::string> lines;
    const std::vector<const xmlNode*> items = children_named(field, "li");
    if (items.empty())
        for (const std::string& line : text_lines(raw_text(field))) lines.push_back(clean_line(line));
    for (const xmlNode* item : items)
        if (std::string line = clean_line(text_of(item)); !line.empty()) lines.push_back(std::move(line));
    return lines;
}

// The steps: an empty <li> ends one, the items between make it up.
std::vector<std::string> steps_of(const xmlNode* field) {
    const std::vector<const xmlNode*> items = children_named(field, "li");
    if (items.empty()) return items_of(field);
    std::vector<std::string> steps;
    std::string step;
    for (const xmlNode* item : items) {
        const std::string line = clean_line(text_of(item));
        if (line.empty()) {
            if (!step.empty()) steps.push_back(std::move(step));
            step.clear();
        } else {
            step += (step.empty() ? "" : " ") + line;
        }
    }
    if (!step.empty()) steps.push_back(std::move(step));
    return steps;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : " ") + line;
    return text;
}

found_recipe read_recipe(const xmlNode* node) {
    found_recipe recipe;
    recipe.name = clean_line(child_text(node, "title"));
    recipe.description = joined(items_of(child_named(node, "description")));
    recipe.ingredients = items_of(child_named(node, "ingredient"));
    recipe.directions = steps_of(child_named(node, "recipetext"));
    add_notes(recipe, items_of(child_named(node, "comments")));
    set_source(recipe, child_text(node, "source"), child_text(node, "url"));
    std::string yield = child_text(node, "quantity");
    apply_yield(recipe, yield.empty() ? child_text(node, "serving") : yield);
    return recipe;
}

}  // namespace

bool is_my_cookbook(std::string_view start, std::string_view) {
    return xml_root_name(start) == "cookbook";
}

read_result read_my_cookbook(std::string_view bytes, const std::string&) {
    read_result result;
    const std::string note = read_xml_records(bytes, nullptr, "recipe", [&](const xmlNode* node) {
        result.recipes.push_back(read_recipe(node));
    });
    if (!note.empty()) result.notes.push_back(note);
    return result;
}
