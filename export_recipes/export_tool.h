#pragma once
#include <ostream>
#include <string>
#include <vector>

// What the export-recipes program finds about itself when it starts.
struct export_setup {
    std::string collection_dir;  // the tool's own directory
    std::ostream& out;           // the summary
    std::ostream& err;           // failures, and the progress where shown
    bool show_progress;          // standard error is a terminal
};

// export-recipes [--favourites] [--format json|nextcloud|mealmaster|html] OUT
// Writes every recipe the collection's index lists (or its favourites), in
// the index's order, into the one file OUT, which appears only when it is
// complete. Gives the exit status: 0 when every recipe was exported, 1 after
// a failure (reported on `err`), 2 for a usage error. It only reads the
// collection, so it may run while Larderon is open.
int export_recipes(const std::vector<std::string>& args, const export_setup& setup);
