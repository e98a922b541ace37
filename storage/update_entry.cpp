#include <cerrno>

#include "shell/services.h"
#include "storage/recipe_index.h"

namespace {

// Loads an index for a rewrite; false when the file exists but cannot be read.
bool load_for_update(const std::string& file_name, int& count) {
    count = load_index(file_name);
    return last_error() == 0 || last_error() == ENOENT;
}

void take_if_given(std::string& field, const std::string& value) {
    if (!value.empty()) field = value;
}

}  // namespace

bool update_default_entry(index_entry changed) {
    // Without a fresh backup the copy may be stale or missing: read the index
    // itself, so that no entry is lost and no old one comes back.
    int count = 0;
    bool loaded = backup_index(index_kind::default_index) && load_for_update("default.bak", count);
    if (!loaded && !load_for_update("default.ldr", count)) return false;
    for (int i = 1; i <= count; ++i) {
        index_entry& entry = index_at(i);
        if (entry.file_name != changed.file_name) continue;
        take_if_given(entry.name, changed.name);
        take_if_given(entry.author, changed.author);
        take_if_given(entry.source, changed.source);
        break;
    }
    save_index("default.ldr", count);
    return last_error() == 0;
}
