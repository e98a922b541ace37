#pragma once
#include <string>

// The program's entry: single-instance rule, the collection's lock, data directory, default index,
// command-line import, pictures, then the main menu until the user leaves.
int run_program(int argc, char** argv);

// The command line's recipe path as the importer gets it: a relative one
// made absolute against start_dir, the directory the program was started in.
std::string absolute_import_path(const std::string& path, const std::string& start_dir);


// Takes the lock of the collection in `dir` for the life of the program.
// Ends the program quietly when another copy holds it, and with status 1,
// told on standard error and in a message box, while an import holds it: a
// screen must never work on an index loaded before an import ended.
void lock_collection(const std::string& dir);
