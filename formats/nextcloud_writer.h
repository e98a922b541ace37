#pragma once
#include <locale.h>

#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "storage/recipe.h"

struct archive;
struct archive_entry;

// Recipes as Nextcloud Cookbook keeps them, in a zip: a folder a recipe,
// named after it, holding recipe.json (the schema.org object). Folder names
// are one safe path component each, unique, in UTF-8 with the zip's UTF-8
// flag. The zip's bytes go to `write` as they are made.
class nextcloud_zip {
public:
    // Takes bytes; gives 0 or the system's error number.
    using sink = std::function<int(std::string_view)>;
    explicit nextcloud_zip(sink write);
    ~nextcloud_zip();
    nextcloud_zip(const nextcloud_zip&) = delete;
    nextcloud_zip& operator=(const nextcloud_zip&) = delete;

    // Each gives 0 or the system's error number of the failed write (EIO
    // when the zip itself failed).
    int add(const recipe& dish);
    // Writes the zip's directory; nothing may be added afterwards.
    int finish();

private:
    int add_entry(const std::string& path, std::string_view bytes);
    int failed();

    sink write;
    locale_t utf8;  // C.UTF-8, or none where the system lacks it
    archive* zip = nullptr;
    archive_entry* entry = nullptr;
    int failure = 0;  // of the last failed write
    std::unordered_set<std::string> taken;  // folder names given, lower case
    // Kept from entry to entry, so that their room is reused.
    std::string path, json;
};

// A recipe's name (UTF-8) as a folder name: one path component with no "/",
// "\", "..", control character or leading dot or blank, at most 200 bytes.
std::string folder_name_of(std::string_view name);
