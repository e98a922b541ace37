#pragma once
#include <cstddef>
#include <string>

// Parts of the numbered files that the command interpreter's copy and move
// share, and what the storage readers need beyond services.h.

// Sets the number that last_error() reports (0, or the system's error number).
void set_last_error(int error);

// True when a numbered file open for input has no bytes left to read, or when
// the number is not open for input. Readers use it to stop at the end of a
// file instead of reading empty fields for as long as a count says.
bool file_at_end(int number);

// A file that takes the place of `target` only when committed: it is written
// beside the target under a temporary name, flushed to disk and renamed over
// the target, so the target is never half-written. A replacement keeps the
// permission bits of the file it replaces.
struct file_replacement {
    int fd = -1;
    std::string temp_path;
    std::string target;
};
// Each returns 0 or the system's error number. A failed write or commit
// removes the temporary file itself and leaves the target as it was.
int begin_replacement(const std::string& target, file_replacement& replacement);
int write_replacement(file_replacement& replacement, const char* bytes, size_t size);
int commit_replacement(file_replacement& replacement);
void abandon_replacement(file_replacement& replacement);
