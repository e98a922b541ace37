#pragma once
#include <string>
#include <string_view>
#include <vector>

// Many new files written into one directory together. Each is written under
// one temporary name and then renamed to its own name, which must be free
// (nothing is ever replaced), without a flush to disk of its own; one flush
// of the whole file system and one of the directory then put all of them on
// disk at once, far cheaper than a flush per file. No file is ever seen
// half-written under its own name. The name of each file put in place is
// added to a list file beside them, so that a later run can find what a
// killed one left.
struct file_batch {
    int dir_fd = -1;
    int list_fd = -1;
    std::string dir;
    std::string temp_name;
    std::string list_name;
};

// Each returns 0 or the system's error number.
// Starts a batch in `dir`: a temporary file that a killed batch left is
// removed and the list file is made empty.
int begin_batch(const std::string& dir, const std::string& temp_name, const std::string& list_name,
                file_batch& batch);
// Writes the new file `name` (a plain name: no "/", no leading ".") and
// lists it; EEXIST, with nothing written, when the name is taken.
int add_to_batch(file_batch& batch, const std::string& name, std::string_view bytes);
// Puts every file written so far, and the directory, on disk.
int flush_batch(const file_batch& batch);
// Removes these files of the batch again and flushes the directory.
void remove_batch_files(const file_batch& batch, const std::vector<std::string>& names);
// Removes the list file and the temporary file, and closes the batch.
void end_batch(file_batch& batch);

// The names a batch's list file holds; none when there is no such file.
std::vector<std::string> read_batch_list(const std::string& path);
// Every name in a directory, hidden ones too.
int list_directory(const std::string& dir, std::vector<std::string>& names);
