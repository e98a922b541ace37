#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "formats/schema_org.h"

// A reader's result as bytes, for the way back from the child process that
// read the file (isolated.h): each text as its length and its bytes.
std::string result_to_bytes(const read_result& result);
// Empty when the bytes are not a whole result.
std::optional<read_result> result_from_bytes(std::string_view bytes);
