#pragma once
#include <cstddef>
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
// which could take gigabytes to hold (about 80 bytes a value at worst).
inline constexpr int json_depth_limit = 200;
inline constexpr std::size_t json_value_limit = 4'000'000;

struct lenient_json {
    std::vector<nlohmann::json> values;
    std::size_t value_count = 0;  // roughly how many values the text holds
    std::string failure;          // why (a part of) the text was not read; empty when all was
};

lenient_json parse_lenient_json(std::string_view text, std::size_t value_limit = json_value_limit);
