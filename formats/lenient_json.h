#pragma once
#include <cstddef>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

// JSON as web pages write it, read after mending what strict JSON rejects:
// a wrapper in front ("<!--", "<![CDATA[", "// <![CDATA[", "/*<![CDATA[*/"),
// raw control characters and "\'" in strings, a comma before "}" or "]", a
// number too long for a double (kept as text), and anything after the value.
// Further values right after the first (some pages put two objects in one
// block) are read too.
//
// Nesting deeper than json_depth_limit is refused, so that every walk over
// a value can recurse safely; so is a text of more than value_limit values,
// which could take gigabytes to hold (about 80 bytes a value at worst), and
// so is one value (the whole text, for parse_lenient_json) of more than
// json_held_value_limit values or json_held_byte_limit bytes, which is held
// whole, twice over while it is read.
//
// A list of texts (an array whose first item is not an object or array)
// keeps its first json_list_limit items: no recipe holds more than 50 lines
// of a kind, and a file of millions of one-letter ingredients would
// otherwise take gigabytes. Lists of objects, such as the recipes of a
// collection, are kept whole. The object that holds a list so cut gets a
// member json_left_out_key saying what each of its lists lost, as
// {"recipeIngredient": [items, bytes]}, so that a reader can count it.
inline constexpr int json_depth_limit = 200;
inline constexpr std::size_t json_value_limit = 4'000'000;
inline constexpr std::size_t json_held_value_limit = 750'000;
inline constexpr std::size_t json_held_byte_limit = std::size_t{32} << 20;
inline constexpr std::size_t json_list_limit = 1'000;
inline constexpr std::string_view json_left_out_key = "@left out";

struct lenient_json {
    std::vector<nlohmann::json> values;
    std::size_t value_count = 0;  // roughly how many values the text holds
    std::size_t dropped = 0;      // items left out of long lists of texts
    std::string failure;          // why (a part of) the text was not read; empty when all was
};

lenient_json parse_lenient_json(std::string_view text, std::size_t value_limit = json_value_limit);

// The same values handed to `take` one at a time as they are read, and the
// items of an array at the top each as a value of its own, so that a file of
// many recipes never has them all in memory; `values` stays empty.
lenient_json read_lenient_json_each(std::string_view text, const std::function<void(nlohmann::json&&)>& take,
                                    std::size_t value_limit = json_value_limit);
