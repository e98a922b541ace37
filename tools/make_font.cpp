// Turns the three PC console fonts (PSF1, 8x8, 8x14 and 8x16 cells) into a
// C++ source that defines glyph_rows: one glyph per Windows-1252 byte in each
// cell height, ready to draw.
//
//   make_font OUTPUT.cpp FONT.psf FONT.psf FONT.psf
//
// The fonts place their glyphs differently, so every byte is looked up by its
// Unicode meaning in each font's own Unicode table. A byte the font can't
// show gets a hollow box, so that no character is ever drawn as nothing.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The Unicode meaning of every byte: Windows-1252, except that the control
// bytes 1..31 and 127 show the PC's graphic characters. 0 marks a byte that
// has no character (byte 0 and the five holes of Windows-1252).
uint32_t code_point(int byte) {
    static const uint32_t pc_graphics[32] = {
        0x0000, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,
        0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,
        0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,
        0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC};
    static const uint32_t windows_1252_high[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
        0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    if (byte < 32) return pc_graphics[byte];
    if (byte == 127) return 0x2302;
    if (byte >= 0x80 && byte < 0xA0) return windows_1252_high[byte - 0x80];
    return static_cast<uint32_t>(byte);
}

struct psf_font {
    int height = 0;
    std::vector<std::vector<uint8_t>> glyphs;
    std::map<uint32_t, int> glyph_of;  // code point -> glyph number
};

bool fail(const std::string& message) {
    std::fprintf(stderr, "make_font: %s\n", message.c_str());
    return false;
}

// Reads a PSF1 font with its Unicode table.
bool read_psf(const std::string& path, psf_font& font) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return fail("can't open " + path);
    const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (data.size() < 4 || data[0] != 0x36 || data[1] != 0x04) return fail(path + " is not a PSF1 font");
    const int mode = data[2];
    font.height = data[3];
    const size_t count = (mode & 0x01) ? 512 : 256;
    if (!(mode & 0x06)) return fail(path + " has no Unicode table");
    const size_t table = 4 + count * static_cast<size_t>(font.height);
    if (data.size() < table) return fail(path + " is cut off");
    for (size_t g = 0; g < count; ++g) {
        const auto first = data.begin() + static_cast<std::ptrdiff_t>(4 + g * static_cast<size_t>(font.height));
        font.glyphs.emplace_back(first, first + font.height);
    }
    // Each glyph lists its code points (16-bit little-endian) up to 0xFFFF;
    // 0xFFFE starts combining sequences, which a one-byte text never needs.
    size_t at = table;
    for (size_t g = 0; g < count; ++g) {
        bool in_sequence = false;
        for (;;) {
            if (at + 2 > data.size()) return fail(path + ": Unicode table is cut off");
            const uint32_t value = data[at] | (data[at + 1] << 8);
            at += 2;
            if (value == 0xFFFF) break;
            if (value == 0xFFFE) in_sequence = true;
            else if (!in_sequence) font.glyph_of.emplace(value, static_cast<int>(g));
        }
    }
    return true;
}

std::vector<uint8_t> box_glyph(int height) {
    std::vector<uint8_t> rows(static_cast<size_t>(height), 0);
    const int top = height == 8 ? 1 : 2;
    const int bottom = height == 8 ? 6 : height - 3;
    rows[static_cast<size_t>(top)] = rows[static_cast<size_t>(bottom)] = 0x7E;
    for (int r = top + 1; r < bottom; ++r) rows[static_cast<size_t>(r)] = 0x42;
    return rows;
}

bool is_blank(const std::vector<uint8_t>& rows) {
    for (uint8_t row : rows)
        if (row) return false;
    return true;
}

// The 256 glyphs of one font in byte order. Bytes 0, 32 and 160 (the
// no-break space, common in text pasted from web pages) are blank by nature;
// every other byte must show something, so a missing or empty glyph becomes
// the box.
std::vector<std::vector<uint8_t>> glyphs_by_byte(const psf_font& font) {
    std::vector<std::vector<uint8_t>> result;
    for (int byte = 0; byte < 256; ++byte) {
        if (byte == 0 || byte == 32 || byte == 0xA0) {
            result.emplace_back(static_cast<size_t>(font.height), 0);
            continue;
        }
        const auto found = font.glyph_of.find(code_point(byte));
        const bool known = code_point(byte) != 0 && found != font.glyph_of.end();
        std::vector<uint8_t> rows = known ? font.glyphs[static_cast<size_t>(found->second)] : box_glyph(font.height);
        if (is_blank(rows)) rows = box_glyph(font.height);
        result.push_back(rows);
    }
    return result;
}

void write_table(std::ostream& out, const psf_font& font) {
    out << "const uint8_t glyphs" << font.height << "[256][" << font.height << "] = {\n";
    int byte = 0;
    for (const auto& rows : glyphs_by_byte(font)) {
        out << "    {";
        for (size_t r = 0; r < rows.size(); ++r) out << (r ? "," : "") << static_cast<int>(rows[r]);
        out << "},  // " << byte++ << "\n";
    }
    out << "};\n\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: make_font OUTPUT.cpp FONT.psf FONT.psf FONT.psf\n");
        return 2;
    }
    std::map<int, psf_font> fonts;  // by cell height
    for (int i = 2; i < argc; ++i) {
        psf_font font;
        if (!read_psf(argv[i], font)) return 1;
        if (font.height != 8 && font.height != 14 && font.height != 16) {
            fail(std::string(argv[i]) + " has cells " + std::to_string(font.height) + " high, not 8, 14 or 16");
            return 1;
        }
        fonts[font.height] = std::move(font);
    }
    if (fonts.size() != 3) {
        fail("need one font each 8, 14 and 16 pixels high");
        return 1;
    }

    std::ostringstream out;
    out << "// Generated by make_font from the console fonts. Do not edit.\n"
           "#include \"shell/font.h\"\n\nnamespace {\n\n";
    for (const auto& [height, font] : fonts) write_table(out, font);
    out << "}  // namespace\n\n"
           "// Cell heights other than 8 and 14 get the 8x16 glyphs.\n"
           "const uint8_t* glyph_rows(int cell_height, uint8_t byte) {\n"
           "    if (cell_height == 8) return glyphs8[byte];\n"
           "    if (cell_height == 14) return glyphs14[byte];\n"
           "    return glyphs16[byte];\n"
           "}\n";

    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file << out.str();
    file.close();
    if (!file) {
        fail(std::string("can't write ") + argv[1]);
        return 1;
    }
    return 0;
}
