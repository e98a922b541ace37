#pragma once
#include <string>
#include <string_view>
#include <vector>

// Markdown as recipe managers store it (Mela, Tandoor, Mealie), made plain
// text, one item a line: heading marks, list markers, emphasis marks, code
// marks and link targets dropped, blank lines left out. A heading becomes
// "TITLE:", as section titles are kept elsewhere. HTML in it is cleaned too.
std::vector<std::string> markdown_lines(std::string_view text);
