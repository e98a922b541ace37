#pragma once
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "storage/recipe.h"

// The search work of the Search screen, apart from the screen: folding
// Windows-1252 text to upper case, the contains test, the count of matching
// ingredient lines and the Meta Score. Plain functions over texts and
// recipes, so they can be measured alone.

namespace search_detail {

// a..z, and the accented small letters of Windows-1252, to their capitals.
// ÷ is no letter; ß and µ have no capital in the set and stay.
constexpr std::array<uint8_t, 256> make_fold_table() {
    std::array<uint8_t, 256> table{};
    for (int byte = 0; byte < 256; ++byte) table[byte] = static_cast<uint8_t>(byte);
    for (int byte = 'a'; byte <= 'z'; ++byte) table[byte] = static_cast<uint8_t>(byte - 0x20);
    for (int byte = 0xE0; byte <= 0xFE; ++byte)
        if (byte != 0xF7) table[byte] = static_cast<uint8_t>(byte - 0x20);
    table[0x9A] = 0x8A;  // š Š
    table[0x9C] = 0x8C;  // œ Œ
    table[0x9E] = 0x8E;  // ž Ž
    table[0xFF] = 0x9F;  // ÿ Ÿ
    return table;
}

}  // namespace search_detail

inline constexpr std::array<uint8_t, 256> fold_table = search_detail::make_fold_table();

// Folds the text in place, byte by byte through the table.
inline void fold_in_place(std::string& text) {
    for (char& c : text) c = static_cast<char>(fold_table[static_cast<uint8_t>(c)]);
}

inline std::string folded(std::string text) {
    fold_in_place(text);
    return text;
}

// Whether a folded text holds a folded term. An empty term is in no text.
inline bool holds_term(const std::string& folded_text, const std::string& folded_term) {
    return !folded_term.empty() && folded_text.find(folded_term) != std::string::npos;
}

// The recipe's ingredient lines (at most the 50 it holds) that hold at least
// one of the folded terms; a line counts once however many terms it holds.
// Each line is folded once, into one buffer reused for every line.
inline int count_matching_ingredients(const recipe& dish, const std::vector<std::string>& folded_terms) {
    const int lines = std::min<int>(dish.ingredient_count, max_recipe_items);
    int matches = 0;
    std::string line;
    for (int place = 1; place <= lines; ++place) {
        line.assign(dish.ingredients[static_cast<size_t>(place)]);
        fold_in_place(line);
        for (const std::string& term : folded_terms) {
            if (holds_term(line, term)) {
                ++matches;
                break;
            }
        }
    }
    return matches;
}

// Matching lines for every hundred terms asked, rounded down and capped at
// 100. term_count is the count as typed, empty terms included.
inline int meta_score(int matches, int term_count) {
    return term_count < 1 ? 0 : std::min(matches * 100 / term_count, 100);
}
