#pragma once
#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

// Parts of the numbered files that the command interpreter's copy and move
// share, and what the storage readers need beyond services.h.

// Sets the number that last_error() reports (0, or the system's error number).
void set_last_error(int error);

// True when a numbered file open for input has no bytes left to read, or when
// the number is not open for input. Readers use it to stop at the end of a
// file instead of reading empty fields for as long as a count says.
bool file_at_end(int number);

// read_field without the copy: a view into the file's bytes, valid until the
// file is closed.
std::string_view read_field_view(int number, bool keep_blanks);
// The bytes of a numbered input file not read yet (0 when the number is not
// open for input), so that a reader can make room before it reads.
size_t unread_bytes(int number);

// Opens a file for reading without blocking and gives its size at this
// moment; 0 or the system's error number. Anything but a regular file (a
// FIFO, a device) counts as missing, a directory as EISDIR.
int open_regular_input(const std::string& path, int& fd, size_t& size);

// A file that takes the place of `target` only when committed: it is written
// beside the target under a temporary name, flushed to disk and renamed over
// the target, and the directory is flushed too, so the target is never
// half-written and a reported success survives a power cut. A replacement
// keeps the permission bits of the file it replaces. Starting one removes
// the temporary files of the same target that killed processes left.
struct file_replacement {
    int fd = -1;
    std::string temp_path;
    std::string target;
};
// Each returns 0 or the system's error number. A failed write or commit
// removes the temporary file itself and leaves the target as it was (a
// failed flush of the directory puts the old file back where the system can
// swap two names).
// Removes the temporary files of replacements of `target` that killed
// processes left, as starting a replacement does.
void remove_stale_replacements(const std::string& target);
int begin_replacement(const std::string& target, file_replacement& replacement);
int write_replacement(file_replacement& replacement, const char* bytes, size_t size);
int commit_replacement(file_replacement& replacement);
void abandon_replacement(file_replacement& replacement);

// The system calls that put a replacement in place, and the one that
// delete_file makes. Tests swap them to make one fail or to see their order;
// rename takes renameat2's flags.
struct replacement_calls {
    ssize_t (*write)(int fd, const void* bytes, size_t size);
    int (*fsync)(int fd);
    int (*close)(int fd);
    int (*rename)(const char* from, const char* to, unsigned flags);
    int (*unlink)(const char* path);
};
replacement_calls& replacement_system();
