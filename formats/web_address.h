#pragma once
#include <string>
#include <string_view>

// The host of an absolute web address, in lower case, without port or user:
// "https://Cooks.Example.org:8080/r" gives "cooks.example.org".
std::string host_of_url(std::string_view url);

struct found_recipe;

// Sets the source of a recipe from what its format names as the source: a
// web address gives its host, and the whole address is kept as the last
// direction line "Source: URL"; other text is the source as it is.
void set_source(found_recipe& recipe, const std::string& named);
