#include "formats/text_encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace {

// Unicode code points of the bytes 0x80..0x9F; the five that Windows-1252
// leaves undefined keep their control-character meaning.
constexpr char16_t upper_controls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void append_utf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The length of the valid UTF-8 sequence at the start of `text` and its
// code point; 0 when it is not one.
size_t decode_one(std::string_view text, char32_t& code) {
    utf8_check check;
    const auto first = static_cast<unsigned char>(text[0]);
    const size_t length = first < 0x80 ? 1 : first < 0xE0 ? 2 : first < 0xF0 ? 3 : 4;
    if (length > text.size()) return 0;
    check.add(text.substr(0, length));
    if (!check.valid()) return 0;
    code = length == 1 ? first : first & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) code = (code << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
    return length;
}

bool becomes_blank(char32_t code) {
    return code < 0x20 || (code >= 0x7F && code <= 0xA0) || code == 0x2028 || code == 0x2029;
}

// Valid UTF-8 in which every character that must become a blank is one.
std::string cleaned_utf8(std::string_view text) {
    std::string clean;
    clean.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            clean += becomes_blank(byte) ? ' ' : static_cast<char>(byte);
            ++i;
            continue;
        }
        char32_t code = 0;
        const size_t length = decode_one(text.substr(i), code);
        if (length == 0 || becomes_blank(code))
            clean += ' ';
        else
            clean.append(text.substr(i, length));
        i += length == 0 ? 1 : length;
    }
    return clean;
}

iconv_t to_windows_1252() {
    static iconv_t converter = ::iconv_open("WINDOWS-1252//TRANSLIT", "UTF-8");
    return converter;
}

}  // namespace

void utf8_check::add(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size() && !broken; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (needed > 0) {
            broken = byte < low || byte > high;
            --needed;
            low = 0x80;
            high = 0xBF;
        } else if (byte >= 0x80) {
            needed = byte >= 0xC2 && byte <= 0xDF ? 1 : byte >= 0xE0 && byte <= 0xEF ? 2 : byte >= 0xF0 && byte <= 0xF4 ? 3 : 0;
            broken = needed == 0;
            if (byte == 0xE0) low = 0xA0;
            if (byte == 0xED) high = 0x9F;
            if (byte == 0xF0) low = 0x90;
            if (byte == 0xF4) high = 0x8F;
        }
    }
}

std::string windows_1252_to_utf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        append_utf8(text, byte >= 0x80 && byte < 0xA0 ? upper_controls[byte - 0x80] : byte);
    }
    return text;
}

std::string utf8_to_windows_1252(std::string_view text) {
    std::string clean = cleaned_utf8(text);
    std::string out;
    iconv_t converter = to_windows_1252();
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        for (char c : clean) out += static_cast<unsigned char>(c) < 0x80 ? c : '?';
        return out;
    }
    ::iconv(converter, nullptr, nullptr, nullptr, nullptr);
    // A transliteration can be longer than its character, but never by much.
    out.resize(clean.size() * 2 + 16);
    char* in = clean.data();
    size_t in_left = clean.size();
    char* put = out.data();
    size_t room = out.size();
    auto grow = [&] {
        const size_t used = static_cast<size_t>(put - out.data());
        out.resize(out.size() * 2);
        put = out.data() + used;
        room = out.size() - used;
    };
    while (in_left > 0) {
        if (::iconv(converter, &in, &in_left, &put, &room) != static_cast<size_t>(-1)) break;
        if (errno == E2BIG || room == 0) {
            grow();
            continue;
        }
        // A character with no transliteration where iconv refuses one.
        char32_t code = 0;
        const size_t length = std::max<size_t>(decode_one(std::string_view(in, in_left), code), 1);
        in += length;
        in_left -= length;
        *put++ = '?';
        --room;
    }
    out.resize(static_cast<size_t>(put - out.data()));
    return out;
}
