#include <cerrno>

#include "shell/services.h"
#include "storage/name_order.h"
#include "storage/packed_entries.h"

namespace {

// Loads an index after the added entries; false when the file exists but
// cannot be read, so that the add writes nothing rather than an index
// without the old entries.
bool load_for_add(const std::string& file_name, packed_entries& entries, int& count) {
    entries.bytes.reserve(entries.bytes.size() + static_cast<size_t>(file_info(file_name).size));
    count = load_packed_index(file_name, entries);
    return last_error() == 0 || last_error() == ENOENT;
}

// Positions 1..loaded are the index's entries, which were packed after the
// added ones; the added ones follow them.
struct add_positions {
    const packed_entries& entries;
    size_t added, loaded;

    size_t at(size_t position) const { return position <= loaded ? added + position - 1 : position - loaded - 1; }
};

}  // namespace

int add_entries_to_default_index(packed_entries entries) {
    const size_t added = entries.starts.size(), added_bytes = entries.bytes.size();
    // Without a fresh backup the copy may be stale or missing: read the index itself.
    int count = 0;
    bool loaded = backup_index(index_kind::default_index) && load_for_add("default.bak", entries, count);
    if (!loaded) {
        entries.starts.resize(added);
        entries.bytes.resize(added_bytes);
        if (!load_for_add("default.ldr", entries, count)) return -1;
    }
    const add_positions positions{entries, added, static_cast<size_t>(count)};
    const size_t total = added + positions.loaded;
    const name_list names{&positions, [](const void* list, uint32_t p) {
                              const auto& all = *static_cast<const add_positions*>(list);
                              return packed_name(all.entries, all.at(p));
                          }};
    const std::vector<uint32_t> order = sorted_by_name(static_cast<uint32_t>(total), names);
    save_index_entries("default.ldr", total, [&](size_t p) { return packed_entry(entries, positions.at(order[p])); });
    return last_error() == 0 ? static_cast<int>(total) : -1;
}
