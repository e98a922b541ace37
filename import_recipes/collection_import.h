#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "shell/batch_files.h"
#include "storage/recipe.h"
#include "storage/recipe_index.h"

// The collection in the current directory as one import changes it: the
// recipes it lists already, the new recipe files, written as one batch, and
// one rewrite of the default index at the end. Memory grows with the number
// of recipes (their index entries), never with the size of what is read.
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
    struct known_recipe {
        index_entry entry;
        uint64_t ingredients = 0;  // a hash of the ingredient lines
        bool read = false;         // whether `ingredients` is known yet
    };

    void remove_leftovers();
    std::string new_file_name(const std::string& name_part);
    std::string write_file(const recipe& dish, std::string_view bytes, std::string& file_name);

    std::string dir;
    bool dry_run;
    std::deque<known_recipe> known;  // the listed recipes, then this run's; grows without copying
    size_t listed = 0;
    std::unordered_multimap<uint64_t, uint32_t> by_fields;  // name and author to places in `known`
    std::unordered_set<std::string> taken;                  // the directory's names when the run began
    std::unordered_map<uint64_t, unsigned> next_number;     // by a name part's hash: the last number given
    file_batch batch;
    bool batch_open = false;
};
