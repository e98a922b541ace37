#include "formats/line_splitter.h"

#include <algorithm>

void line_splitter::add(std::string_view piece) {
    size_t i = 0;
    if (after_cr && !piece.empty() && piece[0] == '\n') i = 1;
    after_cr = false;
    while (i < piece.size()) {
        const size_t end = std::min(piece.find_first_of("\r\n", i), piece.size());
        const size_t taken = std::min(longest - std::min(longest, line.size()), end - i);
        line.append(piece.substr(i, taken));
        left_out += end - i - taken;
        pending = true;
        if (end == piece.size()) return;
        end_line();
        i = end + 1;
        if (piece[end] == '\r') {
            if (i == piece.size()) after_cr = true;
            else if (piece[i] == '\n') ++i;
        }
    }
}

void line_splitter::finish() {
    if (pending) end_line();
}

void line_splitter::end_line() {
    handler(line, left_out);
    line.clear();
    left_out = 0;
    pending = false;
}
