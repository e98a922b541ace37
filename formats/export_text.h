#pragma once
#include <string>
#include <string_view>

// A recipe file's text as the writers of other formats give it. Recipe files
// can't hold a double quote and store one as two apostrophes, which the
// importer makes of a double quote again; so a double quote goes out, and a
// re-import gives the same bytes.
std::string restored_quotes(std::string_view text);
// The text in UTF-8, its double quotes restored.
std::string exported_utf8(std::string_view text);
