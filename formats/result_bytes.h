#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "formats/found_recipe.h"

// A reader's result as bytes, for the way back from the child process that
// read the file (isolated.h): each text as its length and its bytes.
std::string result_to_bytes(const read_result& result);
// Empty when the bytes are not a whole result.
std::optional<read_result> result_from_bytes(std::string_view bytes);

// Runs a reader in a child process (isolated.h): a reader may fail on a
// hostile file in a way no check beforehand finds, and then the file gets a
// note naming `what` ("page") and the import goes on.
read_result read_in_child(const std::function<read_result()>& read, const std::string& what);
