#pragma once
#include <string>
#include <string_view>

#include "formats/found_recipe.h"

// MasterCook's exports, many recipes a file, Windows-1252 whatever they
// declare: .mxp text ("* Exported from MasterCook *" before each recipe) and
// .mx2 XML (root <mx2>, each recipe's .mxp text inside it too).
bool is_mastercook_text(std::string_view start, std::string_view file_name);
read_result read_mastercook_text(std::string_view bytes, const std::string& file_name);

bool is_mastercook_xml(std::string_view start, std::string_view file_name);
read_result read_mastercook_xml(std::string_view bytes, const std::string& file_name);
