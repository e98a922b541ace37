#pragma once
#include <algorithm>
#include <string>
#include <vector>

#include "shell/screen_state.h"

// The text grid as rows of text, for tests of whole screens.

using rows = std::vector<std::string>;

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
