#pragma once
#include <cstdint>
#include <ostream>

// The progress of a run on one line of standard error: files, recipes found
// and a bar over the bytes to read. It shows only where a person watches (a
// terminal) and only once a run has lasted a second, so that short runs and
// scripts see nothing of it.
class progress_line {
public:
    progress_line(std::ostream& err, bool shown, uint64_t files, uint64_t bytes);
    void update(uint64_t files_done, uint64_t recipes, uint64_t bytes_done);
    // Clears the line, if one was shown.
    void finish();

private:
    std::ostream& err;
    bool shown;
    uint64_t files, bytes;
    double start = 0, last = 0;
    bool drawn = false;
};
