#pragma once
#include <cstdint>
#include <functional>
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

// Hands each file below the paths to `visit` as it is reached, until visit
// gives false; no list of them all is kept, however many there are. A named
// file is taken as it is, links followed. A named directory is walked
// through, each directory's names in byte order: hidden entries are skipped,
// links are followed to files but never into other directories, and no
// directory is read twice, so a loop can't trap the walk. A relative path
// counts from the directory `base`, and the files keep their paths as given.
// Gives the paths and directories that could not be read.
std::vector<walk_failure> walk_paths(const std::vector<std::string>& paths, const std::string& base,
                                     const std::function<bool(const walked_file&)>& visit);
