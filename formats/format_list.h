#pragma once
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "formats/found_recipe.h"

// Every format the importer reads, in one list, each with how it is told
// apart: by content, never by a file's name alone, since people rename and
// re-zip their exports. Adding a format is adding its reader's file pair and
// a line to this list.
struct recipe_format {
    std::string_view name;  // as the summary names it: "MealMaster"
    // Whether a document is of this format, judged from its start (its first
    // 64 KiB at most, a UTF-8 byte order mark removed) and its file name.
    bool (*recognise)(std::string_view start, std::string_view file_name);
    // Reads a whole document held in memory. A reader of documents that may
    // hold very many recipes hands each to `take` as it finds it, and calls
    // `release` (when given) as soon as it no longer needs `bytes`; the others
    // give their recipes back in the result. Null for MealMaster text, which
    // is streamed line by line (read_file.h), however large the file.
    read_result (*read)(std::string_view bytes, const std::string& file_name, const found_taker& take,
                        const std::function<void()>& release);
};

// The most particular first: the first format that recognises a document
// reads it.
std::span<const recipe_format> recipe_formats();

// The format of a document, or null when none recognises it.
const recipe_format* find_recipe_format(std::string_view start, std::string_view file_name);
