#pragma once
#include <optional>
#include <string>

// The program's entry: single-instance rule, data directory, default index,
// command-line import, pictures, then the main menu until the user leaves.
int run_program(int argc, char** argv);

// The command line's recipe path as the importer gets it: a relative one
// made absolute against start_dir, the directory the program was started in.
std::string absolute_import_path(const std::string& path, const std::string& start_dir);

// The executable names of all running processes joined with nothing between
// them; no value when the process list can't be read.
std::optional<std::string> list_process_names();

// Whether `names` holds own_name twice: once for this process, once more
// for another copy. Case-sensitive, matching inside longer names too.
bool another_copy_running(const std::string& names, const std::string& own_name);

// The name this program's processes carry in the process list.
std::string own_process_name();
