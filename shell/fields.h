#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The field reader and writer of the data files and of typed values: texts,
// optionally in double quotes, and decimal numbers, separated by commas, with
// lines ended by CR LF (a lone LF or CR ends a line too).

constexpr size_t max_text_field = 4096;   // bytes kept of a text field
constexpr size_t max_number_field = 22;   // characters kept of a number field

// Reads one field of `data` starting at `pos`, advancing `pos` past the field and its end (comma / line end).
std::string read_text_field(const std::string& data, size_t& pos, bool keep_blanks);
// The same field as a view into `data`, which must outlive it.
std::string_view read_text_view(const std::string& data, size_t& pos, bool keep_blanks);
// Reads one number field (ends at a blank too; at most 22 characters) and converts it: decimal point -> rounded half
// to even; no digits -> 0.
int64_t read_number_from(const std::string& data, size_t& pos);
// The field writer's encoding of one text: quoted, each double quote replaced by two apostrophes ('').
std::string encode_text_field(const std::string& text);
// Appends that encoding to `out`, as the field writer does for each field.
void append_text_field(std::string& out, std::string_view text);
