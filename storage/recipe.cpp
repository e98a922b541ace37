#include "storage/recipe.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>

#include "shell/fields.h"
#include "shell/files.h"
#include "shell/services.h"
#include "shell/text.h"

namespace {

constexpr int recipe_file = 1;

enum class stop_after { heading, ingredients, directions };

// Where the fields come from: the numbered recipe file, or bytes already
// read (the same field reader either way).
struct field_source {
    const std::string* bytes = nullptr;  // none: the numbered file
    size_t pos = 0;

    std::string text(bool keep_blanks) {
        return bytes ? read_text_field(*bytes, pos, keep_blanks) : read_field(recipe_file, keep_blanks);
    }
    int64_t number() { return bytes ? read_number_from(*bytes, pos) : read_number_field(recipe_file); }
    bool at_end() const { return bytes ? pos >= bytes->size() : file_at_end(recipe_file); }
};

// Reads a count and then every item the file announces, so that the reader
// stays in step with the file, keeping the first 50. Stops at the end of the
// file, which also bounds a count that is absurdly large.
uint8_t read_list(field_source& fields, std::array<std::string, max_recipe_items + 1>& items) {
    int64_t announced = fields.number();
    for (int64_t i = 1; i <= announced && !fields.at_end(); ++i) {
        std::string item = fields.text(true);
        if (i <= max_recipe_items) items[static_cast<size_t>(i)] = std::move(item);
    }
    // Items the file announces but does not hold read as empty texts.
    return static_cast<uint8_t>(std::clamp<int64_t>(announced, 0, max_recipe_items));
}

recipe read_fields(field_source& fields, stop_after last_part) {
    recipe dish;
    dish.name = fields.text(false);
    dish.author = fields.text(false);
    dish.source = fields.text(true);
    dish.description = fields.text(false);
    int64_t servings = fields.number();
    dish.servings = static_cast<int32_t>(
        std::clamp<int64_t>(servings, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
    if (last_part != stop_after::heading) dish.ingredient_count = read_list(fields, dish.ingredients);
    if (last_part == stop_after::directions) dish.direction_count = read_list(fields, dish.directions);
    return dish;
}

recipe read_parts(const std::string& file_name, stop_after last_part) {
    open_file(file_name, file_mode::input, recipe_file);
    if (last_error() != 0) return {};
    field_source fields;
    recipe dish = read_fields(fields, last_part);
    close_file(recipe_file);
    return dish;
}

void append_list(std::string& bytes, uint8_t count, const std::array<std::string, max_recipe_items + 1>& items) {
    int written = std::min<int>(count, max_recipe_items);
    bytes += int_to_text(written) + "\r\n";
    for (int i = 1; i <= written; ++i) {
        append_text_field(bytes, items[static_cast<size_t>(i)]);
        bytes += "\r\n";
    }
}

void append_field(std::string& bytes, const std::string& text, const char* end) {
    append_text_field(bytes, text);
    bytes += end;
}

}  // namespace

recipe read_recipe(const std::string& file_name) {
    return read_parts(file_name, stop_after::directions);
}

recipe recipe_from_bytes(const std::string& bytes) {
    field_source fields{&bytes};
    return read_fields(fields, stop_after::directions);
}

recipe read_recipe_heading(const std::string& file_name) {
    return read_parts(file_name, stop_after::heading);
}

recipe read_recipe_ingredients(const std::string& file_name) {
    return read_parts(file_name, stop_after::ingredients);
}

std::string recipe_file_bytes(const recipe& dish) {
    std::string bytes;
    append_field(bytes, dish.name, ",");
    append_field(bytes, dish.author, ",");
    append_field(bytes, dish.source, "\r\n");
    append_field(bytes, dish.description, ",");
    bytes += int_to_text(dish.servings) + "\r\n";
    append_list(bytes, dish.ingredient_count, dish.ingredients);
    append_list(bytes, dish.direction_count, dish.directions);
    return bytes;
}

void write_recipe(const std::string& file_name, const recipe& dish) {
    open_file(file_name, file_mode::output, recipe_file);
    if (last_error() != 0) return;
    print_to_file(recipe_file, recipe_file_bytes(dish), false);
    close_file(recipe_file);
}

std::string make_recipe_file_name() {
    for (;;) {
        std::string name = int_to_text(static_cast<int64_t>(std::floor(timer_seconds()))) + ".rcp";
        open_file(name, file_mode::input, recipe_file);
        if (last_error() != 0) return name;
        close_file(recipe_file);
        pause(10);  // the same name comes back until the clock's next second
    }
}

bool is_safe_file_name(const std::string& file_name) {
    if (file_name.empty() || file_name[0] == '/') return false;
    for (size_t start = 0; start <= file_name.size();) {
        size_t end = file_name.find('/', start);
        if (end == std::string::npos) end = file_name.size();
        if (file_name.compare(start, end - start, "..") == 0) return false;
        start = end + 1;
    }
    return true;
}

namespace {

// The Windows-1252 letters 0x80-0xFF as ASCII: the base letter of an accented
// one, two letters for a ligature; empty for what is no letter (€, ©, quotes).
const char* ascii_of(unsigned char byte) {
    static const char* const from_80[128] = {
        "", "", "", "f", "", "", "", "", "", "", "S", "", "OE", "", "Z", "",   // 0x80
        "", "", "", "", "", "", "", "", "", "", "s", "", "oe", "", "z", "Y",  // 0x90
        "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",       // 0xA0
        "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",       // 0xB0
        "A", "A", "A", "A", "A", "A", "AE", "C", "E", "E", "E", "E", "I", "I", "I", "I",  // 0xC0
        "D", "N", "O", "O", "O", "O", "O", "", "O", "U", "U", "U", "U", "Y", "TH", "ss",  // 0xD0
        "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",  // 0xE0
        "d", "n", "o", "o", "o", "o", "o", "", "o", "u", "u", "u", "u", "y", "th", "y",   // 0xF0
    };
    return from_80[byte - 0x80];
}

}  // namespace

// ASCII only, so that every file manager and tool shows the name as it is;
// no separators, characters the shells and the zip tool treat specially, or
// control bytes; no leading "." (a hidden file, or "." and "..") or "-" (read
// as an option).
std::string recipe_file_name_part(const std::string& name) {
    constexpr size_t longest_part = 200;
    std::string part;
    for (size_t i = 0; i < name.size() && part.size() < longest_part; ++i) {
        const char c = name[i];
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) part += ascii_of(byte);
        else if (byte < 32 || byte == 127 || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos) part += '_';
        else part += c;
    }
    part.resize(std::min(part.size(), longest_part));
    if (!part.empty() && (part[0] == '.' || part[0] == '-')) part[0] = '_';
    return part;
}
