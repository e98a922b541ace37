#pragma once
#include <optional>
#include <string>

// The running processes as the single-instance rule sees them: the program
// and the command-line tools that write its files use the same check.

// The executable names of all running processes joined with nothing between
// them; no value when the process list can't be read.
std::optional<std::string> list_process_names();

// Whether `names` holds own_name twice: once for this process, once more
// for another copy. Case-sensitive, matching inside longer names too.
bool another_copy_running(const std::string& names, const std::string& own_name);

// The name this program's processes carry in the process list.
std::string own_process_name();
