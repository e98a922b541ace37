#pragma once
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

// What the readers of other recipe managers' JSON exports share.

// A JSON document in UTF-8 or Windows-1252, with or without a byte order
// mark; nothing when it is not JSON or nests or holds too much
// (lenient_json.h).
std::optional<nlohmann::json> parse_export_json(std::string_view bytes);
// Whether a document's first character after blanks is this bracket.
bool opens_with(std::string_view start, char bracket);
// Whether the start of a JSON document names this key ("uid").
bool names_key(std::string_view start, std::string_view key);
// Whether it names this key with a text as its value.
bool names_text(std::string_view start, std::string_view key);

// A member, or null when `object` is no object or lacks it.
const nlohmann::json& member_at(const nlohmann::json& object, const char* key);
// Whether a member is true; a member of another type is not.
bool flag_at(const nlohmann::json& object, const char* key);
// A member's text: a string as it is, a number as its shortest text, else
// empty. `object` need not be an object.
std::string text_at(const nlohmann::json& object, const char* key);
// A member's number, 0 when it is none.
double number_at(const nlohmann::json& object, const char* key);
// An amount as a recipe shows it: "1", "0.5", "" for 0.
std::string amount_text(double amount);
