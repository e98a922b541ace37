#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

#include "storage/name_order.h"
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

name_key key_of(std::string_view name, uint32_t entry) {
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
    const name_list& names;
    bool operator()(const name_key& a, const name_key& b) const {
        for (size_t w = 0; w < head_words; ++w)
            if (a.head[w] != b.head[w]) return a.head[w] < b.head[w];
        // Equal heads: when both names lie wholly in them, the padding could
        // only hide zero bytes at the end of the longer one, so it comes second.
        if (a.length <= head_bytes && b.length <= head_bytes) return a.length < b.length;
        return names(a.entry) < names(b.entry);  // compares bytes as unsigned values
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
std::vector<rank_key> ranked_keys(const name_list& names, uint32_t count) {
    constexpr uint64_t slot_unit = uint64_t{1} << 32;
    uint64_t slot = 2 * slot_unit;
    std::vector<rank_key> keys{{0, 0}, {slot, 1}};  // grows only as far as the order holds
    uint32_t ordered = 1;  // positions 1..ordered are in name order
    while (ordered < count) {
        const int order = names(ordered).compare(names(ordered + 1));
        if (order > 0) break;
        if (order < 0) slot += 2 * slot_unit;
        ++ordered;
        keys.push_back({slot, ordered});
    }
    if (count - ordered > ordered) return {};
    keys.resize(count + 1);

    std::vector<name_key> rest;
    for (uint32_t p = ordered + 1; p <= count; ++p) rest.push_back(key_of(names(p), p));
    std::sort(rest.begin(), rest.end(), name_order{names});
    uint64_t last_rank = 0;
    for (size_t k = 0; k < rest.size(); ++k) {
        const std::string_view name = names(rest[k].entry);
        // The first of positions 1..ordered whose name is not below this one.
        uint32_t at = 1;
        for (uint32_t step = ordered; step > 0;) {
            const uint32_t half = step / 2;
            if (names(at + half) < name) {
                at += half + 1;
                step -= half + 1;
            } else {
                step = half;
            }
        }
        const bool beyond = at > ordered;
        const uint64_t next_slot = !beyond ? keys[at].rank : slot + 2 * slot_unit;
        uint64_t rank = next_slot;  // equal to the name at `at`
        if (beyond || names(at) != name) {
            const uint64_t gap = next_slot - slot_unit;
            const bool same_gap = last_rank / slot_unit == gap / slot_unit;
            rank = !same_gap ? gap : last_rank + (name != names(rest[k - 1].entry) ? 1 : 0);
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

// Where each key came from, in the keys' order.
template <typename Key>
std::vector<uint32_t> positions_of(const std::vector<Key>& keys) {
    std::vector<uint32_t> order(keys.size());
    for (size_t p = 0; p < keys.size(); ++p) order[p] = keys[p].entry;
    return order;
}

}  // namespace

std::vector<uint32_t> sorted_by_name(uint32_t count, const name_list& names) {
    if (count < 2) {
        std::vector<uint32_t> order(count + 1);
        for (uint32_t p = 0; p <= count; ++p) order[p] = p;
        return order;
    }
    const int last = static_cast<int>(count);
    std::vector<rank_key> ranked = ranked_keys(names, count);
    if (!ranked.empty()) {
        sort_keys(ranked, last, [](const rank_key& a, const rank_key& b) { return a.rank < b.rank; });
        return positions_of(ranked);
    }
    std::vector<name_key> keys(static_cast<size_t>(count) + 1);
    for (uint32_t p = 1; p <= count; ++p) keys[p] = key_of(names(p), p);
    sort_keys(keys, last, name_order{names});
    return positions_of(keys);
}

void sort_index(int count) {
    if (count < 2) return;
    index_at(count);  // positions 1..count exist
    std::vector<index_entry>& entries = recipe_index();
    const name_list names{&entries, [](const void* list, uint32_t p) -> std::string_view {
                              return (*static_cast<const std::vector<index_entry>*>(list))[p].name;
                          }};
    std::vector<uint32_t> order = sorted_by_name(static_cast<uint32_t>(count), names);
    // Each cycle of the order moves round once, so no second list is needed.
    for (uint32_t start = 1; start < order.size(); ++start) {
        if (order[start] == start) continue;
        index_entry held = std::move(entries[start]);
        uint32_t here = start;
        while (order[here] != start) {
            const uint32_t from = order[here];
            entries[here] = std::move(entries[from]);
            order[here] = here;
            here = from;
        }
        entries[here] = std::move(held);
        order[here] = here;
    }
}
