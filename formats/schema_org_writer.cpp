#include "formats/schema_org_writer.h"

#include "formats/export_text.h"

namespace {

// Written by hand rather than through a JSON library's tree: building and
// dumping one took three times as long as reading the recipe file.
void append_string(std::string& out, const std::string& field) {
    static const char hex[] = "0123456789abcdef";
    out += '"';
    for (char c : exported_utf8(field)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += hex[byte >> 4];
            out += hex[byte & 15];
        } else {
            out += c;
        }
    }
    out += '"';
}

void append_member(std::string& out, const char* name, const std::string& text) {
    out += ",\"";
    out += name;
    out += "\":";
    append_string(out, text);
}

void append_named(std::string& out, const char* name, const char* type, const std::string& text) {
    out += ",\"";
    out += name;
    out += "\":{\"@type\":\"";
    out += type;
    out += "\",\"name\":";
    append_string(out, text);
    out += '}';
}

}  // namespace

void append_schema_org_recipe(std::string& out, const recipe& dish) {
    out += R"({"@context":"https://schema.org","@type":"Recipe")";
    append_member(out, "name", dish.name);
    if (!dish.author.empty()) append_named(out, "author", "Person", dish.author);
    if (!dish.source.empty()) append_named(out, "publisher", "Organization", dish.source);
    if (dish.servings != 0) out += ",\"recipeYield\":" + std::to_string(dish.servings);
    if (!dish.description.empty()) append_member(out, "description", dish.description);
    for (int i = 1; i <= dish.ingredient_count; ++i) {
        out += i == 1 ? ",\"recipeIngredient\":[" : ",";
        append_string(out, dish.ingredients[i]);
    }
    if (dish.ingredient_count > 0) out += ']';
    for (int i = 1; i <= dish.direction_count; ++i) {
        out += i == 1 ? ",\"recipeInstructions\":[" : ",";
        out += "{\"@type\":\"HowToStep\",\"text\":";
        append_string(out, dish.directions[i]);
        out += '}';
    }
    if (dish.direction_count > 0) out += ']';
    out += '}';
}
