#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Runs work in a child process and gives back the bytes it returns, so that
// a reader that fails on one file costs only that file: a page might hold a
// way of keeping a parser busy, or of making it build a huge tree, that the
// checks while parsing miss. The child may use cpu_seconds of processor time
// and memory_bytes of address space more than it starts with.
//
// The child is made with fork(), which the importer, being single-threaded,
// may do at any time. Where no child can be made, work runs here.
struct isolated_run {
    bool finished = false;  // work returned
    std::string output;  // what work returned, when it finished
    std::string failure;  // else why not: "it takes more than 30 seconds to read"
};

// The readers keep a page or JSON file within their caps to some 150 MB
// resident; address space runs ahead of that (a growing text reserves
// double), so the limit leaves room over it.
inline constexpr std::size_t isolated_memory_limit = std::size_t{256} << 20;

isolated_run run_isolated(const std::function<std::string()>& work, int cpu_seconds,
                          std::size_t memory_bytes = isolated_memory_limit);

// The same for work that gives its output in pieces, through `send`, as it
// goes: each piece reaches `take` in this process while the child works on,
// so that neither side need hold the whole output. `output` stays empty, and
// what `take` was given before a failure stays given. `forked` runs here as
// soon as the child has its own copy of this process's memory, to free what
// only the work needs.
using byte_sender = std::function<bool(std::string_view piece)>;  // false: nobody reads any more
isolated_run run_isolated_sending(const std::function<void(const byte_sender& send)>& work,
                                  const std::function<void(std::string_view piece)>& take, int cpu_seconds,
                                  std::size_t memory_bytes = isolated_memory_limit,
                                  const std::function<void()>& forked = {});
