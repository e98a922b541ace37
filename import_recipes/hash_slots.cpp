#include "import_recipes/hash_slots.h"

#include <algorithm>
#include <bit>

void hash_slots::add(uint64_t hash, uint32_t value) {
    const uint32_t key = key_of(hash);
    free_slot(key) = {key, value};
}

uint32_t& hash_slots::at(uint64_t hash) {
    const uint32_t key = key_of(hash);
    if (!slots.empty())
        for (std::size_t i = home_of(key); slots[i].key != 0; i = (i + 1) & mask())
            if (slots[i].key == key) return slots[i].value;
    slot& added = free_slot(key);
    added = {key, 0};
    return added.value;
}

hash_slots::slot& hash_slots::free_slot(uint32_t key) {
    if (4 * (used + 1) > 3 * slots.size()) {
        std::vector<slot> old(std::max<std::size_t>(16, 2 * slots.size()));
        old.swap(slots);
        shift = 64 - static_cast<unsigned>(std::countr_zero(slots.size()));
        for (const slot& moved : old)
            if (moved.key != 0) {
                std::size_t i = home_of(moved.key);
                while (slots[i].key != 0) i = (i + 1) & mask();
                slots[i] = moved;
            }
    }
    ++used;
    std::size_t i = home_of(key);
    while (slots[i].key != 0) i = (i + 1) & mask();
    return slots[i];
}
