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

struct sort_key {
    uint64_t head[head_words];
    uint32_t length;  // the name's length, or head_bytes + 1 for any longer one
    uint32_t entry;
};

sort_key key_of(const std::string& name, uint32_t entry) {
    sort_key key{{}, name.size() > head_bytes ? head_bytes + 1 : static_cast<uint32_t>(name.size()), entry};
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
bool comes_before(const sort_key& a, const sort_key& b, const std::vector<index_entry>& entries) {
    for (size_t w = 0; w < head_words; ++w)
        if (a.head[w] != b.head[w]) return a.head[w] < b.head[w];
    // Equal heads: when both names lie wholly in them, the padding could
    // only hide zero bytes at the end of the longer one, so it comes second.
    if (a.length <= head_bytes && b.length <= head_bytes) return a.length < b.length;
    return entries[a.entry].name < entries[b.entry].name;  // std::string compares bytes unsigned
}

// Puts the entries where the keys now stand, following each cycle of the
// permutation, so that no second list is needed.
void move_entries_to_keys(std::vector<index_entry>& entries, std::vector<sort_key>& keys) {
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

// An iterative quicksort with an explicit stack of (low, high) pairs. Which
// order entries with equal names end in follows from these exact steps, so
// they are kept as they are.
void sort_index(int count) {
    if (count < 2) return;
    index_at(count);  // positions 1..count exist
    std::vector<index_entry>& entries = recipe_index();
    std::vector<sort_key> keys(static_cast<size_t>(count) + 1);
    for (uint32_t p = 1; p <= static_cast<uint32_t>(count); ++p) keys[p] = key_of(entries[p].name, p);
    auto key = [&keys](int position) -> sort_key& { return keys[static_cast<size_t>(position)]; };

    std::vector<std::pair<int, int>> stack{{1, count}};
    while (!stack.empty()) {
        auto [low, high] = stack.back();
        stack.pop_back();
        while (low < high) {
            int i = low, j = high;
            const sort_key pivot = key((low + high) / 2);
            while (i <= j) {
                while (comes_before(key(i), pivot, entries)) ++i;
                while (comes_before(pivot, key(j), entries)) --j;
                if (i <= j) {
                    std::swap(key(i), key(j));
                    ++i;
                    --j;
                }
            }
            // The larger part waits on the stack, the smaller goes on now.
            if (j - low < high - i) {
                if (i < high) stack.emplace_back(i, high);
                high = j;
            } else {
                if (low < j) stack.emplace_back(low, j);
                low = i;
            }
        }
    }
    move_entries_to_keys(entries, keys);
}
