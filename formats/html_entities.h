#pragma once
#include <string>
#include <string_view>

// What the HTML parser leaves undecoded but a browser shows as characters:
// the named references that only HTML5 knows ("&frac13;", "&half;"), those
// of them that recipes use, and the references &#128; to &#159;, which name
// Windows-1252's characters on old pages ("&#150;" is "–"), here arriving as
// the control characters U+0080 to U+009F.
std::string decode_html5_leftovers(std::string_view text);
