#include <cerrno>
#include <iterator>

#include "shell/services.h"
#include "storage/recipe_index.h"

namespace {

// Loads an index for an add; false when the file exists but cannot be read.
bool load_for_add(const std::string& file_name, int& count) {
    count = load_index(file_name);
    return last_error() == 0 || last_error() == ENOENT;
}

}  // namespace

int add_entries_to_default_index(std::vector<index_entry> added) {
    // Without a fresh backup the copy may be stale or missing: read the index itself.
    int count = 0;
    bool loaded = backup_index(index_kind::default_index) && load_for_add("default.bak", count);
    if (!loaded && !load_for_add("default.ldr", count)) return -1;
    // The loaded entries go in front of the added ones, whose list then
    // becomes the in-memory index: a large import is not moved again.
    std::vector<index_entry>& entries = recipe_index();
    entries.resize(static_cast<size_t>(count) + 1);
    added.reserve(added.size() + entries.size());
    added.insert(added.begin(), std::make_move_iterator(entries.begin()), std::make_move_iterator(entries.end()));
    entries = std::move(added);
    const int total = static_cast<int>(entries.size()) - 1;
    sort_index(total);
    save_index("default.ldr", total);
    return last_error() == 0 ? total : -1;
}
