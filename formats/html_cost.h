#pragma once
#include <cstdint>
#include <string_view>

// Gumbo sets no limit on how deep elements nest, and at many tags it walks
// its stack of open elements: a few megabytes of "<div>" keep it busy for
// hours. This reads the tags the way an HTML parser opens and closes
// elements, closely enough for real pages and on the high side where it
// cannot tell, and adds up the nesting depth at every tag: an estimate of the
// parser's work. It stops reading once the sum passes limit.
std::uint64_t estimate_html_work(std::string_view html, std::uint64_t limit);
