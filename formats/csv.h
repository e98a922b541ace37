#pragma once
#include <string>
#include <string_view>
#include <vector>

// Comma-separated values as RFC 4180 has them: a field in double quotes may
// hold commas, line breaks and doubled quotes; records end in CR LF or LF.
using csv_row = std::vector<std::string>;

// Every record of a text; a final line end adds no empty record.
std::vector<csv_row> read_csv(std::string_view text);

// The column of each header name, looked up by name.
struct csv_header {
    csv_row names;
    // The field under `name` in a row, empty when the row is short or no
    // column has the name.
    std::string_view field(const csv_row& row, std::string_view name) const;
};
