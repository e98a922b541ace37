#include "formats/export_text.h"

#include "formats/text_encoding.h"

std::string restored_quotes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\'' && i + 1 < text.size() && text[i + 1] == '\'') {
            out += '"';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string exported_utf8(std::string_view text) {
    return windows_1252_to_utf8(restored_quotes(text));
}
