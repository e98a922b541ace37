#pragma once
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "formats/found_recipe.h"

// schema.org Recipe objects in JSON-LD, and the mapping of one onto a
// found_recipe. Values come from parse_lenient_json or the microdata reader,
// so they nest at most json_depth_limit deep and every walk may recurse.

// Nodes by their "@id", for an author or publisher given as a reference.
using schema_ids = std::map<std::string, const nlohmann::json*, std::less<>>;

// Finds the Recipe objects in a value: the value itself, an array, "@graph"
// (an array, or an object of nodes), "mainEntity", and the "item" of an
// ItemList's "itemListElement". Nodes with an "@id" go into ids.
void find_recipes(const nlohmann::json& value, std::vector<const nlohmann::json*>& recipes, schema_ids& ids);

// "Recipe", or a full IRI ending in it ("http://schema.org/Recipe").
bool is_recipe_type(std::string_view type);


struct recipe_origin {
    std::string page_url;  // the page's canonical link, else its og:url; may be empty
};

found_recipe map_recipe(const nlohmann::json& recipe, const schema_ids& ids, const recipe_origin& origin);
