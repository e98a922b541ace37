#include "storage/recipe_index.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "shell/files.h"
#include "shell/services.h"

namespace {

constexpr int index_file = 1;

// Positions set aside ahead by make_recipe_index_room, at most: enough for a
// large collection to load without growing the list step by step.
constexpr int64_t room_limit = 65536;

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

}  // namespace

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
    open_file(file_name, file_mode::input, index_file);
    if (last_error() != 0) return 0;
    int64_t announced = read_number_field(index_file);
    int count = 0;
    while (count < announced && !file_at_end(index_file)) {
        index_entry& entry = index_at(++count);
        entry.name = read_field(index_file, false);
        entry.author = read_field(index_file, false);
        entry.source = read_field(index_file, false);
        entry.file_name = read_field(index_file, true);
    }
    close_file(index_file);
    return count;
}

void save_index(const std::string& file_name, int count) {
    count = std::max(count, 0);
    make_positions(count);
    open_file(file_name, file_mode::output, index_file);
    if (last_error() != 0) return;
    write_number_field(index_file, count, true);
    for (int i = 1; i <= count; ++i) {
        const index_entry& entry = index_at(i);
        write_field(index_file, entry.name, false);
        write_field(index_file, entry.author, false);
        write_field(index_file, entry.source, false);
        write_field(index_file, entry.file_name, true);
    }
    close_file(index_file);
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
