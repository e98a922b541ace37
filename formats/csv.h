#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Comma-separated values as RFC 4180 has them: a field in double quotes may
// hold commas, line breaks and doubled quotes; records end in CR LF or LF.
using csv_row = std::vector<std::string>;

// Hands each record of a text to `handle` as it is read, so that a large
// table is never all in memory; a final line end adds no empty record.
void read_csv_rows(std::string_view text, const std::function<void(csv_row&&)>& handle);
// Every record at once.
std::vector<csv_row> read_csv(std::string_view text);

// The column of each header name, looked up by name.
struct csv_header {
    csv_row names;
    // The field under `name` in a row, empty when the row is short or no
    // column has the name.
    std::string_view field(const csv_row& row, std::string_view name) const;
};
