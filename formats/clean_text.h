#pragma once
#include <libxml/tree.h>

#include <string>
#include <string_view>
#include <vector>

// Texts as recipe pages and JSON give them, made plain: tags removed,
// entities decoded (also when encoded twice or three times, "&amp;amp;"),
// and runs of blanks, tabs and no-break spaces made one blank. A text the
// HTML parser refuses (html_document.h) is kept as it is, only its blanks
// cleaned.

// All on one line.
std::string clean_line(std::string_view text);
// One item per line: split at LF, CR LF and CR alone, and where a paragraph,
// list item or <br> ends, but not where one starts: "2 lb. <p>asparagus</p>"
// is one item. Empty lines are dropped.
std::vector<std::string> clean_lines(std::string_view text);

// The text of a part of a page as it shows: LF where a paragraph, list item,
// heading or <br> starts or ends, the page's own line ends inside the text
// as blanks.
std::string page_text(const xmlNode* node);
