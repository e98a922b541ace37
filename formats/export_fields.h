#pragma once
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "formats/found_recipe.h"

// Field rules that the readers of other recipe managers' exports share.

// Separate parts of an ingredient ("1", "cup", "rice") made plain and joined
// by single blanks, leaving out the empty ones.
std::string joined_parts(std::initializer_list<std::string_view> parts);
// Amount, unit and food given apart, joined the same way; an amount of zero
// ("0", "0.0", "0,00", which exports write where there is none) is left out.
std::string join_ingredient(std::string_view amount, std::string_view unit, std::string_view food);
// A group heading or section title as a line of its own: "Topping:".
std::string heading_line(std::string_view words);

// The source: the recipe's own source text, else the host of its web
// address; the full address is kept as the last direction line
// "Source: URL". Some exports put the address in the source field itself.
void set_source(found_recipe& recipe, std::string_view text, std::string_view url);
// Notes go after the directions under "Notes:".
void add_notes(found_recipe& recipe, const std::vector<std::string>& notes);

// The non-empty lines of a text, each trimmed.
std::vector<std::string> text_lines(std::string_view text);
// The paragraphs of a text (split at blank lines), each made one line.
std::vector<std::string> text_paragraphs(std::string_view text);
// Plain text, one item a line: split at line ends and at the line and
// paragraph separators U+2028 and U+2029, HTML entities decoded, blanks
// collapsed, empty lines left out.
std::vector<std::string> plain_lines(std::string_view text);
// A step without its number ("1. ", "2) "): the list of lines counts them.
std::string_view without_list_number(std::string_view step);
// Text without a leading UTF-8 byte order mark.
std::string_view without_byte_order_mark(std::string_view text);
