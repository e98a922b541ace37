#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "import_recipes/hash_slots.h"
#include "shell/batch_files.h"
#include "storage/packed_entries.h"
#include "storage/recipe.h"

// The collection in the current directory as one import changes it: the
// recipes it lists already, the new recipe files, written as one batch, and
// one rewrite of the default index at the end. Memory grows with the number
// of recipes, by their index entries packed and about forty bytes more
// each, never with the size of what is read.
class collection_import {
public:
    // `dir` is the collection's directory, the current one, for messages.
    collection_import(std::string dir, bool dry_run);
    ~collection_import();

    // Each of these gives an empty text when all went well, else what failed.
    // Reads the index and, unless a dry run, removes what a killed import left.
    std::string open();
    // Writes the recipe's file (its bytes) under a new name made from the
    // recipe's name and notes its entry; a dry run only notes it.
    std::string add(const recipe& dish, std::string_view bytes);
    uint64_t added_count() const { return added.starts.size(); }
    // Puts the new files on disk, then lists them in the index with one
    // backup and one rewrite; when that fails they are removed again.
    std::string finish();

    // Whether a recipe of the same name (letter case folded, blanks
    // collapsed), author and ingredient lines is listed in the index or was
    // added earlier in this run; the source is not compared.
    bool holds(const recipe& dish);
    // Removes every file this run wrote.
    void abandon();

private:
    void remove_leftovers();
    std::string write_file(const recipe& dish, std::string_view bytes, std::string& file_name);
    bool given_by_other_part(std::string_view stem, size_t part_size) const;
    entry_fields entry_at(size_t place) const;

    std::string dir;
    bool dry_run;
    // Places count the listed recipes first, then this run's.
    packed_entries listed;  // the index's entries when the run began
    packed_entries added;   // this run's
    std::vector<uint64_t> ingredients;  // by place: a hash of the ingredient lines
    std::vector<bool> ingredients_read;  // by listed place: whether its hash is known yet
    hash_slots by_fields;  // name and author's hash to places, each plus 1
    hash_slots next_number;  // by a name part's hash: the last number given
    file_batch batch;
    bool batch_open = false;
};
