#pragma once
#include <iostream>
#include <string>

// Packs every recipe file, index and .bak copy in tool_dir into one zip
// archive and moves it into the destination directory or, when that text is
// empty, to the file the user chooses in the save dialog (asked on the
// console where there is no display). Returns the exit status: 0 when done or
// cancelled, 1 after a failure, which is reported.
int back_up(const std::string& tool_dir, const std::string& destination, std::istream& console = std::cin);
