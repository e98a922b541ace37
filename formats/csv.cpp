#include "formats/csv.h"

void read_csv_rows(std::string_view text, const std::function<void(csv_row&&)>& handle) {
    csv_row row;
    std::string field;
    bool quoted = false;
    bool row_started = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"') field += c;
            else if (i + 1 < text.size() && text[i + 1] == '"') field += '"', ++i;
            else quoted = false;
            continue;
        }
        row_started = true;
        if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row.push_back(std::move(field));
            field.clear();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            row.push_back(std::move(field));
            field.clear();
            handle(std::move(row));
            row.clear();
            row_started = false;
        } else {
            field += c;
        }
    }
    if (row_started) {
        row.push_back(std::move(field));
        handle(std::move(row));
    }
}

std::vector<csv_row> read_csv(std::string_view text) {
    std::vector<csv_row> rows;
    read_csv_rows(text, [&](csv_row&& row) { rows.push_back(std::move(row)); });
    return rows;
}

std::string_view csv_header::field(const csv_row& row, std::string_view name) const {
    for (size_t column = 0; column < names.size(); ++column)
        if (names[column] == name) return column < row.size() ? std::string_view(row[column]) : std::string_view();
    return {};
}
