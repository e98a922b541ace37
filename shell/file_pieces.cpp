#include "shell/file_pieces.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>

#include "shell/files.h"

int open_pieces(const std::string& path, file_pieces& file) {
    close_pieces(file);
    size_t size = 0;
    if (int failure = open_regular_input(path, file.fd, size)) return failure;
    file.size = file.left = size;
    file.error = 0;
    return 0;
}

size_t read_piece(file_pieces& file, char* buffer, size_t room) {
    room = static_cast<size_t>(std::min<uint64_t>(room, file.left));
    while (file.fd >= 0 && file.error == 0 && room > 0) {
        ssize_t got = ::read(file.fd, buffer, room);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) file.error = errno;
        if (got <= 0) break;  // the file shrank: what it holds now is all
        file.left -= static_cast<uint64_t>(got);
        return static_cast<size_t>(got);
    }
    file.left = 0;
    return 0;
}

void close_pieces(file_pieces& file) {
    if (file.fd >= 0) ::close(file.fd);
    file.fd = -1;
}

int read_file_up_to(const std::string& path, uint64_t limit, std::string& bytes) {
    bytes.clear();
    file_pieces file;
    if (int failure = open_pieces(path, file)) return failure;
    int failure = file.size > limit ? EFBIG : 0;
    try {
        if (failure == 0) bytes.resize(static_cast<size_t>(file.size));
    } catch (const std::bad_alloc&) {
        failure = ENOMEM;
    }
    size_t filled = 0;
    while (failure == 0 && filled < bytes.size()) {
        size_t got = read_piece(file, bytes.data() + filled, bytes.size() - filled);
        if (got == 0) break;
        filled += got;
    }
    if (failure == 0) failure = file.error;
    close_pieces(file);
    bytes.resize(failure == 0 ? filled : 0);
    return failure;
}
