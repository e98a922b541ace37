#pragma once
#include <algorithm>
#include <string>
#include <vector>

#include "platform/screen_state.h"

// The text grid as rows of text, for tests of whole screens.

// Rows whose [] is bounds-checked: reading a row that the screen does not
// have throws, which fails the test instead of reading past the end.
struct rows : std::vector<std::string> {
    using std::vector<std::string>::vector;
    std::string& operator[](size_t row) { return at(row); }
    const std::string& operator[](size_t row) const { return at(row); }
};

inline std::string trimmed(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// Every row printed on so far, the cursor's row included when it holds text
// (a prompt), trailing blanks dropped.
inline rows printed_rows() {
    const screen_state& s = screen();
    const int last = s.scroll_pending ? s.rows : s.column > 1 ? s.row : s.row - 1;
    rows printed;
    for (int row = 1; row <= last; ++row) printed.push_back(trimmed(row_text(row)));
    return printed;
}

inline rows last_rows(const rows& all, size_t count) {
    return rows(all.end() - static_cast<std::ptrdiff_t>(std::min(count, all.size())), all.end());
}

// Texts made of a prefix and the numbers 1..count: "i1", "i2", ...
inline rows numbered(const std::string& prefix, int count) {
    rows items;
    for (int i = 1; i <= count; ++i) items.push_back(prefix + std::to_string(i));
    return items;
}
