#pragma once
#include <string>

// The program's entry: single-instance rule, data directory, default index,
// command-line import, pictures, then the main menu until the user leaves.
int run_program(int argc, char** argv);

// The command line's recipe path as the importer gets it: a relative one
// made absolute against start_dir, the directory the program was started in.
std::string absolute_import_path(const std::string& path, const std::string& start_dir);

