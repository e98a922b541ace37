#pragma once
#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

// Many new files written into one directory together. Each is written under
// a temporary name and then renamed to its own name, which must be free
// (nothing is ever replaced), without a flush to disk of its own; one flush
// of the whole file system and one of the directory then put all of them on
// disk at once, far cheaper than a flush per file. No file is ever seen
// half-written under its own name.
//
// Each file is named in a list file beside them, with the number of the file
// it is on disk, and the list is on disk before any file it names can be
// seen under that name: a later run finds everything a killed one left, and
// removes only files that are still the very ones it wrote. Files are renamed
// into place some at a time, so that the list needs a flush only for each
// group of them.
struct file_batch {
    int dir_fd = -1;
    int list_fd = -1;
    std::string dir;
    std::string temp_name;
    std::string list_name;
    std::vector<std::string> waiting;  // written under temporary names, not yet renamed
    std::string failed_name;           // the file the last failure was about
};

// A file a list names: its name and its number on disk (inode).
struct listed_file {
    std::string name;
    ino_t inode = 0;
};

// Each returns 0 or the system's error number.
// Starts a batch in `dir`: the temporary files a killed batch left are
// removed and the list file is made empty.
int begin_batch(const std::string& dir, const std::string& temp_name, const std::string& list_name,
                file_batch& batch);
// Writes the new file `name` (a plain name: no "/", no line end, no leading
// ".") and lists it; EEXIST, with nothing written, when the name is taken.
// A failure may be about a file added before: `failed_name` tells which.
int add_to_batch(file_batch& batch, const std::string& name, std::string_view bytes);
// Renames every file written so far into place and puts them, and the
// directory, on disk.
int flush_batch(file_batch& batch);
// Removes every file the batch's list names again and flushes the directory.
void remove_batch_files(const file_batch& batch);
// Removes the list file and the temporary files, and closes the batch.
void end_batch(file_batch& batch);

// Removes what a killed batch in `dir` left: these files of its list (those
// still the very ones it wrote), its temporary files and the list itself.
void remove_left_batch(const std::string& dir, const std::string& temp_name, const std::string& list_name,
                       const std::vector<listed_file>& files);

// The files a batch's list file names; none when there is no such file.
std::vector<listed_file> read_batch_list(const std::string& path);
