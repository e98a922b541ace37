#pragma once
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/found_recipe.h"

// What the readers of other recipe managers' JSON exports share.

// A JSON document in UTF-8 or Windows-1252, with or without a byte order
// mark; nothing when it is not JSON or nests or holds too much
// (lenient_json.h).
std::optional<nlohmann::json> parse_export_json(std::string_view bytes);
// Whether a document's first character after blanks is this bracket.
bool opens_with(std::string_view start, char bracket);
// Whether the start of a JSON document names this key ("uid").
bool names_key(std::string_view start, std::string_view key);

// A member, or null when `object` is no object or lacks it.
const nlohmann::json& member_at(const nlohmann::json& object, const char* key);
// Whether a member is true; a member of another type is not.
bool flag_at(const nlohmann::json& object, const char* key);
// A member's text: a string as it is, a number as its shortest text, else
// empty. `object` need not be an object.
std::string text_at(const nlohmann::json& object, const char* key);
// A member's number, 0 when it is none.
double number_at(const nlohmann::json& object, const char* key);
// An amount as a recipe shows it: "1", "0.5", "" for 0.
std::string amount_text(double amount);

// Separate parts of an ingredient ("1", "cup", "rice") joined by single
// blanks, leaving out the empty ones.
std::string joined_parts(std::initializer_list<std::string_view> parts);
// A group heading or section title as a line of its own: "Sauce:".
std::string heading_line(std::string_view words);

// A step without its number ("1. ", "2) "): the list of lines counts them.
std::string_view without_list_number(std::string_view step);

// Plain text, one item a line: split at line ends and at the line and
// paragraph separators U+2028 and U+2029, HTML entities decoded, blanks
// collapsed, empty lines left out.
std::vector<std::string> plain_lines(std::string_view text);

// The source: the recipe's own source text, else the host of its address;
// the full address is kept as the last direction line "Source: URL".
void set_source(found_recipe& recipe, std::string_view text, std::string_view url);
// Notes go after the directions under "Notes:".
void add_notes(found_recipe& recipe, const std::vector<std::string>& notes);
