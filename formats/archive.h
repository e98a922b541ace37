#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Zip and gzip files read as they are: a zip (also with zips or gzips inside,
// as Tandoor and Paprika write them) or a lone gzip, told apart by their first
// bytes. Entries are read into memory one at a time and never written to disk.

bool is_archive(std::string_view start);

struct archive_report {
    int error = 0;       // the system's error number when the file could not be opened
    uint64_t pictures = 0;  // folders (or nested archives) holding pictures, which are skipped
    std::vector<std::string> notes;  // entries and archives that could not be read or were refused
};

// Takes a document: its label, the entry names from the outermost archive in,
// joined by ": " ("7.zip: recipe.json", empty for a lone gzip's content), the
// entry's own name without folders (empty for a lone gzip's content), and its
// bytes. Gives false to stop.
using archive_taker = std::function<bool(const std::string& label, std::string_view name, std::string_view bytes)>;

// Hands each document of the archive at `path` to `take`, nested archives
// opened in turn. `packed` is told how many bytes of the file were read.
archive_report read_archive(const std::string& path, const archive_taker& take,
                            const std::function<void(uint64_t packed)>& packed);

// An entry's name as UTF-8: as it is when it is valid UTF-8, else read as
// CP437, the old zip character set; then in composed form (NFC), since macOS
// writes decomposed names without saying they are UTF-8.
std::string entry_name_to_utf8(std::string_view name);
