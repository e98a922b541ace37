#include <gtest/gtest.h>

#include <set>

#include "import_recipes/hash_slots.h"

// Through many growths every value stays found under its hash, values that
// share a hash (or its kept high half) are all met, and a missing hash meets
// only such values.
TEST(hash_slots_test, every_value_stays_found_under_its_hash_through_growth) {
    hash_slots table;
    constexpr uint32_t count = 100000;
    for (uint32_t v = 1; v <= count; ++v) table.add(uint64_t{v % 50000} << 32 | v, v);
    for (uint32_t v = 1; v <= count; ++v) {
        std::set<uint32_t> met;
        EXPECT_TRUE(table.find(uint64_t{v % 50000} << 32 | v, [&](uint32_t value) {
            met.insert(value);
            return value == v;
        }));
        for (uint32_t value : met) ASSERT_EQ(value % 50000, v % 50000);
    }
    EXPECT_FALSE(table.find(uint64_t{60000} << 32, [](uint32_t) { return true; }));

    hash_slots numbers;
    for (uint32_t v = 1; v <= count; ++v) numbers.at(uint64_t{v} << 32) = v;
    for (uint32_t v = 1; v <= count; ++v) ASSERT_EQ(numbers.at(uint64_t{v} << 32), v);
    EXPECT_EQ(numbers.at(uint64_t{count + 1} << 32), 0u);
}
