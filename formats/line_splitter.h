#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Splits a stream of bytes, given piece by piece, into lines at LF, CR LF or
// a lone CR. A line keeps at most `longest` bytes, so that a file of one
// huge line costs no more memory than that; each line comes with the number
// of its bytes that were left out.
class line_splitter {
public:
    using line_handler = std::function<void(std::string_view line, uint64_t left_out)>;
    line_splitter(size_t longest, line_handler handler) : longest(longest), handler(std::move(handler)) {}
    void add(std::string_view piece);
    // The last line, when the stream does not end with a line end.
    void finish();

private:
    void end_line();

    size_t longest;
    line_handler handler;
    std::string line;
    uint64_t left_out = 0;
    bool after_cr = false;  // an LF right after a CR belongs to the same line end
    bool pending = false;   // bytes of an unfinished line have been seen
};
