#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

#include "storage/recipe_index.h"

namespace {

// What the sort moves about instead of whole entries: the name's first 24
// bytes as three numbers and its length, which settle nearly every
// comparison without reaching the name itself, and where the entry stood
// before the sort. The entries stay put until the end.
constexpr size_t head_words = 3;
constexpr uint32_t head_bytes = head_words * 8;

struct name_key {
    uint64_t head[head_words];
    uint32_t length;  // the name's length, or head_bytes + 1 for any longer one
    uint32_t entry;
};

name_key key_of(const std::string& name, uint32_t entry) {
    name_key key{{}, name.size() > head_bytes ? head_bytes + 1 : static_cast<uint32_t>(name.size()), entry};
    // Big-endian with zero padding, so heads order as the names' beginnings.
    unsigned char bytes[head_bytes] = {};
    std::memcpy(bytes, name.data(), std::min<size_t>(name.size(), head_bytes));
    for (size_t w = 0; w < head_words; ++w) {
        std::memcpy(&key.head[w], bytes + 8 * w, 8);
        if constexpr (std::endian::native == std::endian::little) key.head[w] = __builtin_bswap64(key.head[w]);
    }
    return key;
}

// Names compare byte by byte as unsigned values; a beginning sorts first.
struct name_order {
    const std::vector<index_entry>& entries;
    bool operator()(const name_key& a, const name_key& b) const {
        for (size_t w = 0; w < head_words; ++w)
            if (a.head[w] != b.head[w]) return a.head[w] < b.head[w];
        // Equal heads: when both names lie wholly in them, the padding could
        // only hide zero bytes at the end of the longer one, so it comes second.
        if (a.length <= head_bytes && b.length <= head_bytes) return a.length < b.length;
        return entries[a.entry].name < entries[b.entry].name;  // std::string compares bytes unsigned
    }
};

// A key that stands for its name by a rank: ranks order as the names do and
// are equal for equal names, so comparing them is as good and far cheaper.
struct rank_key {
    uint64_t rank;
    uint32_t entry;
};

// Ranks positions 1..count when most of them are in name order already, as
// after an add, which appends one entry to a sorted file; otherwise gives
// nothing, as ranking would cost more than it saves. The names in order at
// the start are ranked as they are checked: slots 2, 4, 6... with equal names
// sharing one. Each name of the rest (sorted first) is then placed among
// them: an equal one takes its slot, any other the odd slot of the gap it
// falls in, where the low half of the rank orders the names sharing the gap.
std::vector<rank_key> ranked_keys(const std::vector<index_entry>& entries, uint32_t count) {
    constexpr uint64_t slot_unit = uint64_t{1} << 32;
    uint64_t slot = 2 * slot_unit;
    std::vector<rank_key> keys{{0, 0}, {slot, 1}};  // grows only as far as the order holds
    uint32_t ordered = 1;  // positions 1..ordered are in name order
    while (ordered < count) {
        const int order = entries[ordered].name.compare(entries[ordered + 1].name);
        if (order > 0) break;
        if (order < 0) slot += 2 * slot_unit;
        ++ordered;
        keys.push_back({slot, ordered});
    }
    if (count - ordered > ordered) return {};
    keys.resize(count + 1);

    std::vector<name_key> rest;
    for (uint32_t p = ordered + 1; p <= count; ++p) rest.push_back(key_of(entries[p].name, p));
    std::sort(rest.begin(), rest.end(), name_order{entries});
    const auto first = entries.begin() + 1, end = first + ordered;
    uint64_t last_rank = 0;
    for (size_t k = 0; k < rest.size(); ++k) {
        const std::string& name = entries[rest[k].entry].name;
        const auto at = std::lower_bound(first, end, name,
                                         [](const index_entry& e, const std::string& n) { return e.name < n; });
        const uint64_t next_slot =
            at != end ? keys[static_cast<size_t>(at - entries.begin())].rank : slot + 2 * slot_unit;
        uint64_t rank = next_slot;  // equal to the name at `at`
        if (at == end || at->name != name) {
            const uint64_t gap = next_slot - slot_unit;
            const bool same_gap = last_rank / slot_unit == gap / slot_unit;
            rank = !same_gap ? gap : last_rank + (name != entries[rest[k - 1].entry].name ? 1 : 0);
        }
        keys[rest[k].entry] = {rank, rest[k].entry};
        last_rank = rank;
    }
    return keys;
}

// The quicksort's steps on keys 1..count: an explicit stack of (low, high)
// pairs, the middle key as pivot, the larger part waiting on the stack.
// Which order entries with equal names end in follows from these exact
// steps, so they are kept as they are.
template <typename Key, typename Less>
void sort_keys(std::vector<Key>& keys, int count, Less before) {
    auto key = [&keys](int position) -> Key& { return keys[static_cast<size_t>(position)]; };
    std::vector<std::pair<int, int>> stack{{1, count}};
    while (!stack.empty()) {
        auto [low, high] = stack.back();
        stack.pop_back();
        while (low < high) {
            int i = low, j = high;
            const Key pivot = key((low + high) / 2);
            while (i <= j) {
                while (before(key(i), pivot)) ++i;
                while (before(pivot, key(j))) --j;
                if (i <= j) {
                    std::swap(key(i), key(j));
                    ++i;
                    --j;
                }
            }
            if (j - low < high - i) {
                if (i < high) stack.emplace_back(i, high);
                high = j;
            } else {
                if (low < j) stack.emplace_back(low, j);
                low = i;
            }
        }
    }
}

// Puts the entries where the keys now stand, following each cycle of the
// permutation, so that no second list is needed.
template <typename Key>
void move_entries_to_keys(std::vector<index_entry>& entries, std::vector<Key>& keys) {
    for (uint32_t start = 1; start < keys.size(); ++start) {
        if (keys[start].entry == start) continue;
        index_entry held = std::move(entries[start]);
        uint32_t here = start;
        while (keys[here].entry != start) {
            uint32_t from = keys[here].entry;
            entries[here] = std::move(entries[from]);
            keys[here].entry = here;
            here = from;
        }
        entries[here] = std::move(held);
        keys[here].entry = here;
    }
}

}  // namespace

void sort_index(int count) {
    if (count < 2) return;
    index_at(count);  // positions 1..count exist
    std::vector<index_entry>& entries = recipe_index();
    std::vector<rank_key> ranked = ranked_keys(entries, static_cast<uint32_t>(count));
    if (!ranked.empty()) {
        sort_keys(ranked, count, [](const rank_key& a, const rank_key& b) { return a.rank < b.rank; });
        move_entries_to_keys(entries, ranked);
        return;
    }
    std::vector<name_key> keys(static_cast<size_t>(count) + 1);
    for (uint32_t p = 1; p <= static_cast<uint32_t>(count); ++p) keys[p] = key_of(entries[p].name, p);
    sort_keys(keys, count, name_order{entries});
    move_entries_to_keys(entries, keys);
}
