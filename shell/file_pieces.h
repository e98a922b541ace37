#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Reading a file in pieces of a bounded size, so that a file of any size
// costs only the buffer it is read into. Only regular files are read (a FIFO
// or a device counts as missing, a directory as EISDIR), without blocking,
// and only the bytes they held at the open: a file that grows meanwhile
// can't keep a reader busy.
struct file_pieces {
    int fd = -1;
    uint64_t size = 0;  // at the open
    uint64_t left = 0;
    int error = 0;      // the first failed read, 0 when none
};

// 0 or the system's error number.
int open_pieces(const std::string& path, file_pieces& file);
// Up to `room` bytes into `buffer`; 0 at the end or after a failed read.
size_t read_piece(file_pieces& file, char* buffer, size_t room);
void close_pieces(file_pieces& file);

// The whole file, when it holds at most `limit` bytes (EFBIG otherwise).
// 0 or the system's error number.
int read_file_up_to(const std::string& path, uint64_t limit, std::string& bytes);
