#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// Letter case folded for comparing: Windows-1252 text to upper case, the
// one fold that Search and the import's duplicate check share.

namespace fold_detail {

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

}  // namespace fold_detail

inline constexpr std::array<uint8_t, 256> fold_table = fold_detail::make_fold_table();

// Folds the text in place, byte by byte through the table.
inline void fold_in_place(std::string& text) {
    for (char& c : text) c = static_cast<char>(fold_table[static_cast<uint8_t>(c)]);
}

inline std::string folded(std::string text) {
    fold_in_place(text);
    return text;
}

// The name as the duplicate check compares it: folded, blanks collapsed and
// none at either end.
std::string name_for_comparing(std::string_view name);
