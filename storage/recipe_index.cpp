#include "storage/recipe_index.h"

#include <algorithm>
#include <cerrno>
#include <functional>
#include <utility>

#include "shell/fields.h"
#include "shell/files.h"
#include "shell/services.h"
#include "storage/packed_entries.h"

namespace {

constexpr int index_file = 1;

// Positions set aside ahead by make_recipe_index_room, at most: enough for a
// large collection to load without growing the list step by step.
constexpr int64_t room_limit = 65536;

// The fewest bytes an entry line takes as save_index writes it: four empty
// quoted fields, three commas and the line end. A load makes room for no
// more entries than that allows; a file of shorter lines grows the list.
constexpr size_t bytes_per_entry = 13;

// How many bytes of entry lines a save gathers before it hands them on.
constexpr size_t lines_handed_on = 65536;

// Makes positions 1..count exist, so that a save or sort of them never
// reaches past the end of the list.
void make_positions(int count) {
    std::vector<index_entry>& entries = recipe_index();
    if (count > 0 && entries.size() < static_cast<size_t>(count) + 1) entries.resize(static_cast<size_t>(count) + 1);
}

// Loads an index for an add; false when the file exists but cannot be read,
// so that the add writes nothing rather than an index without the old entries.
bool load_for_add(const std::string& file_name, int& count) {
    count = load_index(file_name);
    return last_error() == 0 || last_error() == ENOENT;
}

// Reads the index file on file number 1: `make_room` is told how many
// entries to expect, `take` given each entry's fields in turn. Gives the
// number read. A file that cannot be opened gives 0 (last_error() then stays
// nonzero); a file that ends early gives the entries it holds.
template <typename Room, typename Take>
int read_index_file(const std::string& file_name, Room make_room, Take take) {
    open_file(file_name, file_mode::input, index_file);
    if (last_error() != 0) return 0;
    const int64_t announced = read_number_field(index_file);
    // Room for the entries at once, but no more than the bytes can hold: a
    // count read from a file can promise any number.
    const int64_t room = std::min<int64_t>(announced, static_cast<int64_t>(unread_bytes(index_file) / bytes_per_entry));
    if (room > 0) make_room(static_cast<size_t>(room));
    int64_t count = 0;
    for (; count < announced && !file_at_end(index_file); ++count) {
        // The views point into the file's bytes, held until it is closed.
        entry_fields fields;
        fields.name = read_field_view(index_file, false);
        fields.author = read_field_view(index_file, false);
        fields.source = read_field_view(index_file, false);
        fields.file_name = read_field_view(index_file, true);
        take(fields);
    }
    close_file(index_file);
    return static_cast<int>(count);
}

}  // namespace

// The lines are made as the field writer makes them and handed on many at a time.
void save_index_entries(const std::string& file_name, size_t count,
                        const std::function<entry_fields(size_t)>& fields_of) {
    open_file(file_name, file_mode::output, index_file);
    if (last_error() != 0) return;
    write_number_field(index_file, static_cast<int64_t>(count), true);
    std::string lines;
    for (size_t i = 1; i <= count; ++i) {
        const entry_fields entry = fields_of(i);
        append_text_field(lines, entry.name);
        lines += ',';
        append_text_field(lines, entry.author);
        lines += ',';
        append_text_field(lines, entry.source);
        lines += ',';
        append_text_field(lines, entry.file_name);
        lines += "\r\n";
        if (lines.size() >= lines_handed_on || i == count) {
            print_to_file(index_file, lines, false);
            lines.clear();
        }
    }
    close_file(index_file);
}


std::vector<index_entry>& recipe_index() {
    static std::vector<index_entry> entries(1);
    return entries;
}

void make_recipe_index_room(int64_t room) {
    std::vector<index_entry>& entries = recipe_index();
    entries.assign(1, index_entry{});
    entries.reserve(static_cast<size_t>(std::clamp<int64_t>(room, 0, room_limit)) + 1);
}

index_entry& index_at(int position) {
    make_positions(position);
    return recipe_index()[static_cast<size_t>(std::max(position, 0))];
}

int load_index(const std::string& file_name) {
    std::vector<index_entry>& entries = recipe_index();
    size_t count = 0;
    read_index_file(
        file_name, [&](size_t room) { entries.reserve(room + 1); },
        [&](const entry_fields& fields) {
            // An entry already in memory keeps its strings' room, so that
            // loading the same index again (as every add does) allocates next
            // to nothing.
            if (entries.size() <= ++count) entries.emplace_back();
            index_entry& entry = entries[count];
            entry.name.assign(fields.name);
            entry.author.assign(fields.author);
            entry.source.assign(fields.source);
            entry.file_name.assign(fields.file_name);
        });
    return static_cast<int>(count);
}

int load_packed_index(const std::string& file_name, packed_entries& packed) {
    return read_index_file(
        file_name, [&](size_t room) { packed.starts.reserve(packed.starts.size() + room); },
        [&](const entry_fields& fields) { add_packed_entry(packed, fields); });
}

void save_index(const std::string& file_name, int count) {
    count = std::max(count, 0);
    make_positions(count);
    const std::vector<index_entry>& entries = recipe_index();
    save_index_entries(file_name, static_cast<size_t>(count), [&](size_t i) {
        const index_entry& entry = entries[i];
        return entry_fields{entry.name, entry.author, entry.source, entry.file_name};
    });
}

bool backup_index(index_kind kind) {
    const char* line = kind == index_kind::default_index ? "copy default.ldr default.bak" : "copy favs.ldr favs.bak";
    return run_command(line) == 0;
}

bool remove_index_entry(index_kind kind, int position, int count) {
    backup_index(kind);  // the rewrite comes from memory either way
    std::vector<index_entry>& entries = recipe_index();
    make_positions(count);
    entries.erase(entries.begin() + position);
    save_index(kind == index_kind::default_index ? "default.ldr" : "favs.ldr", count - 1);
    return last_error() == 0;
}

int add_to_default_index(index_entry entry) {
    // Without a fresh backup the copy may be stale or missing: read the index itself.
    int count = 0;
    bool loaded = backup_index(index_kind::default_index) && load_for_add("default.bak", count);
    if (!loaded && !load_for_add("default.ldr", count)) return -1;
    index_at(count + 1) = std::move(entry);
    sort_index(count + 1);
    save_index("default.ldr", count + 1);
    return last_error() == 0 ? count + 1 : -1;
}

void add_favourite(index_entry entry) {
    int count = 0;
    if (!load_for_add("favs.ldr", count)) return;
    index_at(count + 1) = std::move(entry);
    backup_index(index_kind::favourites);
    save_index("favs.ldr", count + 1);
}
