#pragma once
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "storage/fold.h"
#include "storage/recipe.h"

// The search work of the Search screen, apart from the screen: folding
// Windows-1252 text to upper case, the contains test, the count of matching
// ingredient lines and the Meta Score. Plain functions over texts and
// recipes, so they can be measured alone.

// The terms of a search, folded once, with two tables that let
// one pass over a line test all terms together. The tables are indexed by
// the line's raw bytes and have the fold built in, so the line itself is
// never copied: bit t % 32 of first[b] is set when term t begins with the
// fold of byte b, and of second[b] when its second byte is that fold (or it
// has none). Empty terms are left out: they match nothing.
struct search_terms {
    std::vector<std::string> folded;
    std::array<uint32_t, 256> first{};
    std::array<uint32_t, 256> second{};
};

inline search_terms prepare_terms(const std::vector<std::string>& terms) {
    search_terms prepared;
    for (const std::string& term : terms)
        if (!term.empty()) prepared.folded.push_back(folded(term));
    for (size_t place = 0; place < prepared.folded.size(); ++place) {
        const std::string& term = prepared.folded[place];
        const uint32_t bit = uint32_t{1} << (place % 32);
        for (int byte = 0; byte < 256; ++byte) {
            const char folded_byte = static_cast<char>(fold_table[static_cast<size_t>(byte)]);
            if (term[0] == folded_byte) prepared.first[static_cast<size_t>(byte)] |= bit;
            if (term.size() == 1 || term[1] == folded_byte) prepared.second[static_cast<size_t>(byte)] |= bit;
        }
    }
    return prepared;
}

// Whether the term lies in the text at `at`, the text's bytes folded.
inline bool term_at(const std::string& term, const uint8_t* text, size_t size, size_t at) {
    if (term.size() > size - at) return false;
    for (size_t k = 0; k < term.size(); ++k)
        if (fold_table[text[at + k]] != static_cast<uint8_t>(term[k])) return false;
    return true;
}

// Whether the line, folded, holds at least one of the terms.
inline bool holds_any_term(const std::string& line, const search_terms& terms) {
    const auto* text = reinterpret_cast<const uint8_t*>(line.c_str());  // ends in a 0 byte
    const size_t size = line.size();
    for (size_t at = 0; at < size; ++at) {
        uint32_t candidates = terms.first[text[at]] & terms.second[text[at + 1]];
        while (candidates != 0) {
            const size_t bit = static_cast<size_t>(std::countr_zero(candidates));
            candidates &= candidates - 1;
            for (size_t place = bit; place < terms.folded.size(); place += 32)
                if (term_at(terms.folded[place], text, size, at)) return true;
        }
    }
    return false;
}

// The recipe's ingredient lines (at most the 50 it holds) that hold at least
// one of the terms; a line counts once however many terms it holds.
inline int count_matching_ingredients(const recipe& dish, const search_terms& terms) {
    const int lines = std::min<int>(dish.ingredient_count, max_recipe_items);
    int matches = 0;
    for (int place = 1; place <= lines; ++place)
        matches += holds_any_term(dish.ingredients[static_cast<size_t>(place)], terms);
    return matches;
}

// Matching lines for every hundred terms asked, rounded down and capped at
// 100. term_count is the count as typed, empty terms included.
inline int meta_score(int matches, int term_count) {
    return term_count < 1 ? 0 : std::min(matches * 100 / term_count, 100);
}
