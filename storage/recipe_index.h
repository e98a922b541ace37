#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A recipe's record in a recipe index file.
struct index_entry {
    std::string name;
    std::string author;
    std::string source;
    std::string file_name;  // the recipe file, relative to the program's directory
};

// An entry's four fields as views, however the entry is kept.
struct entry_fields {
    std::string_view name, author, source, file_name;
};

enum class index_kind { default_index, favourites };

// The one in-memory recipe index that every screen shares. Positions count
// from 1; element 0 is never used. Loading, sorting, saving and the add
// operations grow it as far as they need, so the room made by
// make_recipe_index_room is only a reserve.
std::vector<index_entry>& recipe_index();
// Empties the in-memory index; positions 1..room then read as empty entries.
// Memory is set aside for a bounded number of them only, since a count read
// from a file can promise any number: the rest are made as index_at reaches
// them.
void make_recipe_index_room(int64_t room);
// The entry at a position (1 and up) of the in-memory index, which grows to
// hold it when it lies beyond the end.
index_entry& index_at(int position);

// Reads the index file on file number 1 into positions 1..N and gives N.
// A file that cannot be opened gives 0 (last_error() then stays nonzero);
// a file that ends early gives the entries it holds.
int load_index(const std::string& file_name);
// Writes positions 1..count to the index file on file number 1, replacing it
// whole; when that fails the old file stays and last_error() is nonzero.
void save_index(const std::string& file_name, int count);
// Writes `count` entries to the index file on file number 1 as save_index
// does: entry i (1 and up) as `fields_of(i)` gives it.
void save_index_entries(const std::string& file_name, size_t count,
                        const std::function<entry_fields(size_t)>& fields_of);
// Copies "default.ldr" to "default.bak" or "favs.ldr" to "favs.bak" through
// the command interpreter; true when the copy succeeded.
bool backup_index(index_kind kind);
// Writes the index of that kind without the entry at a position of the
// in-memory index, which holds positions 1..count, after a backup; true when
// the new file was written, else the old one stays.
bool remove_index_entry(index_kind kind, int position, int count);
// Sorts positions 1..count by name, bytes compared as unsigned values.
void sort_index(int count);
// Adds the entry to "default.ldr" in name order, after a backup; gives the
// new count. The entry is taken as a copy, so it may come from the in-memory
// index, which the add loads anew. When the index cannot be read or written,
// the file stays as it was, last_error() is nonzero and the result is -1.
int add_to_default_index(index_entry entry);
// Appends the entry (a copy, as above) to "favs.ldr", after a backup. The
// in-memory index then holds the favourites. When the index cannot be read or
// written, the file stays as it was and last_error() is nonzero.
void add_favourite(index_entry entry);
// Gives the first entry of "default.ldr" whose file name is exactly that of
// `changed` its name, author and source, each only when not empty, after a
// backup. File names and the order of the entries never change; without a
// match the index is written back as it was. The entry is taken as a copy,
// as for the adds. False, with the file left as it was, when the index could
// not be read or written.
bool update_default_entry(index_entry changed);
