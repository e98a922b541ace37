#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

// The names of positions 1..count of some list of index entries, however
// the list keeps them.
struct name_list {
    const void* list;
    std::string_view (*name_at)(const void* list, uint32_t position);

    std::string_view operator()(uint32_t position) const { return name_at(list, position); }
};

// The order sort_index puts positions 1..count in: element p holds the
// position whose entry goes to p; element 0 is 0. Names compare as bytes of
// unsigned value; equal names end in the order the sort's steps leave them.
std::vector<uint32_t> sorted_by_name(uint32_t count, const name_list& names);
