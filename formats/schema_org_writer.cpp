#include "formats/schema_org_writer.h"

#include "formats/export_text.h"

namespace {

using json = nlohmann::ordered_json;

json named(const char* type, const std::string& name) {
    return {{"@type", type}, {"name", exported_utf8(name)}};
}

}  // namespace

json schema_org_recipe(const recipe& dish) {
    json object = {{"@context", "https://schema.org"}, {"@type", "Recipe"}, {"name", exported_utf8(dish.name)}};
    if (!dish.author.empty()) object["author"] = named("Person", dish.author);
    if (!dish.source.empty()) object["publisher"] = named("Organization", dish.source);
    if (dish.servings != 0) object["recipeYield"] = dish.servings;
    if (!dish.description.empty()) object["description"] = exported_utf8(dish.description);
    if (dish.ingredient_count > 0) {
        json& lines = object["recipeIngredient"] = json::array();
        for (int i = 1; i <= dish.ingredient_count; ++i) lines.push_back(exported_utf8(dish.ingredients[i]));
    }
    if (dish.direction_count > 0) {
        json& steps = object["recipeInstructions"] = json::array();
        for (int i = 1; i <= dish.direction_count; ++i)
            steps.push_back({{"@type", "HowToStep"}, {"text", exported_utf8(dish.directions[i])}});
    }
    return object;
}
