#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "storage/recipe_index.h"

// Index entries packed one after another into one buffer, each field as its
// length and its bytes. A million short entries take about a fifth of what
// as many index_entry records take, so that an import of very many recipes
// stays small.
struct packed_entries {
    std::string bytes;
    std::vector<uint64_t> starts;  // where each entry begins in `bytes`
};

void add_packed_entry(packed_entries& packed, const entry_fields& entry);
// The fields of entry i (from 0); they stay valid until the next add.
entry_fields packed_entry(const packed_entries& packed, size_t i);
// Its name alone, read faster.
std::string_view packed_name(const packed_entries& packed, size_t i);
// Reads an index file into `packed`, after what it holds, as load_index
// reads one into the in-memory index, and gives the number read.
int load_packed_index(const std::string& file_name, packed_entries& packed);
// Adds many entries to "default.ldr" at once, as add_to_default_index adds
// one: one backup, one load, one sort and one rewrite for all of them, in
// the order the in-memory index would give them. The in-memory index is not
// used. Gives the new count, or -1 as add_to_default_index does.
int add_entries_to_default_index(packed_entries added);
