#pragma once
#include <gumbo.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// Gumbo's time and memory grow with what a page holds, not only with its
// size: deep nesting costs it time by the square of the depth, a few
// kilobytes of misnested formatting tags make it build millions of elements,
// and its own clean-up walks the tree by recursion, which overflows the stack
// on a page nested a few hundred thousand deep. So a text is parsed only when
// its estimated work is bounded (html_cost.h), inside a memory budget, and
// the tree is freed block by block.
//
// The budget of 256 MiB reads pages of ordinary markup up to about 25 MB, and
// far larger ones when most of their bytes are pictures or other data inside
// attributes; beyond it the page is not read, with a note.
inline constexpr std::size_t html_memory_budget = std::size_t{256} << 20;
// A second or two of Gumbo's time at its worst (3 to 10 ns a unit).
inline constexpr std::uint64_t html_work_limit = 200'000'000;

struct gumbo_blocks;  // every block Gumbo allocated for one parse
struct free_gumbo_blocks {
    void operator()(gumbo_blocks* blocks) const;
};

struct html_document {
    const GumboNode* document = nullptr;  // null when the text was not parsed
    std::string failure;  // why not, to follow "The page ": "is nested too deeply to read"
    std::unique_ptr<gumbo_blocks, free_gumbo_blocks> blocks;
};

// Parses UTF-8 text as an HTML document.
html_document parse_html(std::string_view utf8, std::size_t memory_budget = html_memory_budget);
