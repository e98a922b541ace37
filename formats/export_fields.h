#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "formats/found_recipe.h"

// Field rules that the readers of other recipe managers' exports share.

// Amount, unit and food given apart, joined with single blanks, leaving out
// what is empty or zero: "1 cup rice", "salt".
std::string join_ingredient(std::string_view amount, std::string_view unit, std::string_view food);
// A group heading or section title as a line of its own: "Topping:".
std::string heading_line(std::string_view words);
// The host of a web address, lower case: "www.example.com"; empty when the
// text is no web address.
std::string host_of(std::string_view url);
// Source text, else the host of the recipe's web address; the whole address
// is kept as a last direction line "Source: URL".
void set_source(found_recipe& recipe, std::string_view text, std::string_view url);
// The non-empty lines of a text, each trimmed.
std::vector<std::string> text_lines(std::string_view text);
// The paragraphs of a text (split at blank lines), each made one line.
std::vector<std::string> text_paragraphs(std::string_view text);
// Notes kept after the directions, under a "Notes:" line.
void add_notes(found_recipe& recipe, const std::vector<std::string>& notes);
// Text without a leading UTF-8 byte order mark.
std::string_view without_byte_order_mark(std::string_view text);
