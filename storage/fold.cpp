#include "storage/fold.h"

std::string name_for_comparing(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (char c : name) {
        if (c == ' ' || c == '\t') {
            if (!out.empty() && out.back() != ' ') out += ' ';
            continue;
        }
        out += static_cast<char>(fold_table[static_cast<uint8_t>(c)]);
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}
