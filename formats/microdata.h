#pragma once
#include <libxml/tree.h>

#include <nlohmann/json.hpp>
#include <vector>

// Recipes marked up in the page itself with microdata (itemscope, itemtype
// ".../Recipe", itemprop), each given as a JSON object of the shape JSON-LD
// has, so that one mapping reads both: a property given more than once
// becomes a list, a nested item an object with its "@type".
std::vector<nlohmann::json> read_microdata_recipes(const xmlNode* document);
