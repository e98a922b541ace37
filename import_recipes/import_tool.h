#pragma once
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

// What the import-recipes program finds about itself when it starts.
struct import_setup {
    std::string collection_dir;  // the tool's own directory
    std::ostream& out;           // the summary
    std::ostream& err;           // failures, and the progress where shown
    bool show_progress;          // standard error is a terminal
    // The most recipes one run adds, so that what the run keeps of each
    // stays within a bounded memory whatever the files hold; a second run
    // skips the first one's as duplicates and goes on.
    uint64_t most_recipes = 1'000'000;
};

// import-recipes [--dry-run] [--keep-duplicates] [--verbose] FILE_OR_DIRECTORY...
// Brings every recipe in the named files and directories into the
// collection in the tool's directory. Gives the exit status: 0 when every
// recipe found was imported or skipped, 1 after a failure (reported on
// `err`), 2 for a usage error. A run that writes holds the collection's
// lock and refuses while Larderon or another import holds it.
int import_recipes(const std::vector<std::string>& args, const import_setup& setup);
