#pragma once
#include <string>
#include <string_view>

// Character sets: other formats come as UTF-8 or Windows-1252, recipe files
// hold Windows-1252.

// Checks bytes, piece by piece, for valid UTF-8: no overlong forms, no
// surrogates, nothing above U+10FFFF, no sequence cut off at the end.
class utf8_check {
public:
    void add(std::string_view bytes);
    bool valid() const { return !broken && needed == 0; }

private:
    bool broken = false;
    int needed = 0;  // continuation bytes still to come
    unsigned char low = 0x80, high = 0xBF;  // the range the next one must lie in
};

std::string windows_1252_to_utf8(std::string_view bytes);

// UTF-8 text as Windows-1252 through iconv with transliteration: every
// character that Windows-1252 has is kept, others become their
// transliteration ("⅓" gives " 1/3") or "?". A no-break space, line ends,
// tabs and other control characters become a blank, and so does a byte that
// is not UTF-8.
std::string utf8_to_windows_1252(std::string_view text);
