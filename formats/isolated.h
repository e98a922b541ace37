#pragma once
#include <functional>
#include <string>

// Runs work in a child process and gives back the bytes it returns, so that
// a reader that fails on one file costs only that file: Gumbo stops the whole
// process on some misnested pages (an assertion inside the library), and a
// page might hold a way of keeping a parser busy that the checks before
// parsing miss. The child may use cpu_seconds of processor time.
//
// The child is made with fork(), which the importer, being single-threaded,
// may do at any time. Where no child can be made, work runs here.
struct isolated_run {
    bool finished = false;  // work returned
    std::string output;
    std::string failure;  // else why not: "it takes more than 30 seconds to read"
};

isolated_run run_isolated(const std::function<std::string()>& work, int cpu_seconds);
