#include "formats/html_entities.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

struct named_reference {
    std::string_view name;  // without '&' and ';', sorted
    std::string_view text;
};

constexpr named_reference references[] = {
    {"AMP", "&"}, {"COPY", "\u00a9"}, {"CloseCurlyDoubleQuote", "\u201d"}, {"CloseCurlyQuote", "\u2019"},
    {"GT", ">"}, {"LT", "<"}, {"NewLine", "\n"}, {"NonBreakingSpace", "\u00a0"},
    {"OpenCurlyDoubleQuote", "\u201c"}, {"OpenCurlyQuote", "\u2018"}, {"QUOT", "\""}, {"REG", "\u00ae"},
    {"TRADE", "\u2122"}, {"Tab", "\t"}, {"angst", "\u00c5"}, {"apos", "'"}, {"ast", "*"}, {"bsol", "\\"},
    {"bullet", "\u2022"}, {"centerdot", "\u00b7"}, {"check", "\u2713"}, {"checkmark", "\u2713"}, {"colon", ":"},
    {"comma", ","}, {"commat", "@"}, {"cross", "\u2717"}, {"dash", "\u2010"}, {"div", "\u00f7"}, {"dollar", "$"},
    {"ell", "\u2113"}, {"equals", "="}, {"excl", "!"}, {"frac13", "\u2153"}, {"frac15", "\u2155"},
    {"frac16", "\u2159"}, {"frac18", "\u215b"}, {"frac23", "\u2154"}, {"frac25", "\u2156"}, {"frac35", "\u2157"},
    {"frac38", "\u215c"}, {"frac45", "\u2158"}, {"frac56", "\u215a"}, {"frac58", "\u215d"}, {"frac78", "\u215e"},
    {"geq", "\u2265"}, {"grave", "`"}, {"half", "\u00bd"}, {"hyphen", "\u2010"}, {"lcub", "{"}, {"ldquor", "\u201e"},
    {"leq", "\u2264"}, {"lowbar", "_"}, {"lpar", "("}, {"lsqb", "["}, {"lsquor", "\u201a"}, {"mldr", "\u2026"},
    {"num", "#"}, {"numero", "\u2116"}, {"ohm", "\u03a9"}, {"percnt", "%"}, {"period", "."}, {"plus", "+"},
    {"pm", "\u00b1"}, {"quest", "?"}, {"rcub", "}"}, {"rdquor", "\u201d"}, {"rpar", ")"}, {"rsqb", "]"},
    {"rsquor", "\u2019"}, {"semi", ";"}, {"sol", "/"}, {"star", "\u2606"}, {"starf", "\u2605"}, {"verbar", "|"},
    {"vert", "|"},
};

// Windows-1252's characters for 0x80 to 0x9F; 0 where it has none, and the
// control character stays.
constexpr std::array<std::uint16_t, 32> windows_1252_high = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

void append_utf8(std::string& out, std::uint16_t code) {
    if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    }
    out += static_cast<char>(0x80 | (code & 0x3F));
}

// The length of the reference at text[at] and what it stands for, or 0.
std::size_t reference_at(std::string_view text, std::size_t at, std::string_view& stands_for) {
    const std::size_t end = text.find(';', at + 1);
    if (end == std::string_view::npos || end - at > 24) return 0;
    const std::string_view name = text.substr(at + 1, end - at - 1);
    const auto found = std::lower_bound(std::begin(references), std::end(references), name,
                                        [](const named_reference& r, std::string_view n) { return r.name < n; });
    if (found == std::end(references) || found->name != name) return 0;
    stands_for = found->text;
    return end - at + 1;
}

}  // namespace

std::string decode_html5_leftovers(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::string_view stands_for;
        if (text[i] == '&') {
            if (const std::size_t length = reference_at(text, i, stands_for)) {
                out += stands_for;
                i += length - 1;
                continue;
            }
        }
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (text[i] == '\xC2' && next >= 0x80 && next <= 0x9F && windows_1252_high[next - 0x80]) {
            append_utf8(out, windows_1252_high[next - 0x80]);
            ++i;
            continue;
        }
        out += text[i];
    }
    return out;
}
