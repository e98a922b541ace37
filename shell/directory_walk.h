#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The files below the paths a user names.
struct walked_file {
    std::string path;      // as given, or a given directory's path and the names below it
    uint64_t size = 0;     // of a regular file
    bool regular = false;  // false for a FIFO, a device, a dangling link
};
struct walk_failure {
    std::string path;
    int error = 0;  // the system's error number
};
struct walk_result {
    std::vector<walked_file> files;
    std::vector<walk_failure> failures;  // paths and directories that could not be read
};

// A named file is taken as it is, links followed. A named directory is
// walked through, each directory's names in byte order: hidden entries are
// skipped, links are followed to files but never into other directories,
// and no directory is read twice, so a loop can't trap the walk.
walk_result walk_paths(const std::vector<std::string>& paths);
