#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// A table from hashes to numbers in one array, for the millions of entries
// a large import makes: open addressing with linear probing, eight bytes a
// slot, never more than three quarters full, where a node-based map takes
// about fifty bytes an entry. It keeps 31 bits of each hash, so that a
// lookup may also meet values of another hash: callers check what they find.
class hash_slots {
public:
    // Adds `value` (not 0) under `hash`; several values may share one hash.
    void add(uint64_t hash, uint32_t value);
    // The value under `hash`, a new one of 0 when there is none, for a table
    // that keeps one value a hash. It stays valid until the next add or at.
    uint32_t& at(uint64_t hash);
    // Calls `visit(value)` for each value under `hash` until it returns true,
    // and gives whether one did.
    template <typename Visit>
    bool find(uint64_t hash, Visit visit) const {
        if (slots.empty()) return false;
        const uint32_t key = key_of(hash);
        for (std::size_t i = home_of(key);; i = (i + 1) & mask()) {
            if (slots[i].key == 0) return false;
            if (slots[i].key == key && visit(slots[i].value)) return true;
        }
    }

private:
    struct slot {
        uint32_t key = 0;  // 0: free
        uint32_t value = 0;
    };

    // The high half of the hash, its top bit set so that no key is 0.
    static uint32_t key_of(uint64_t hash) { return static_cast<uint32_t>(hash >> 32) | 0x80000000u; }
    std::size_t mask() const { return slots.size() - 1; }
    // Where a key's probe starts: its bits spread by a multiplication, so that
    // keys close together, as from a weak hash, do not crowd one run of slots.
    std::size_t home_of(uint32_t key) const { return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15u) >> shift); }
    // The free slot where `key` goes, after the table has grown if it had to.
    slot& free_slot(uint32_t key);

    std::vector<slot> slots;
    std::size_t used = 0;
    unsigned shift = 64;  // 64 less the number of bits of a slot's place
};
