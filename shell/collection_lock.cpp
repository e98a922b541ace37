#include "shell/collection_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace {

// Every holder writes a record of this size at the start of the file, so
// that a reader sees either the old record or the new one, never a mix.
constexpr size_t record_size = 64;

lock_holder read_holder(int fd) {
    char bytes[record_size + 1] = {};
    const ssize_t got = ::pread(fd, bytes, record_size, 0);
    lock_holder holder;
    if (got <= 0) return holder;
    char program[record_size] = {};
    long pid = 0;
    if (std::sscanf(bytes, "%63s %ld", program, &pid) == 2 && pid > 0) holder = {program, pid};
    return holder;
}

}  // namespace

int take_collection_lock(const std::string& dir, const std::string& program, collection_lock& lock,
                         lock_holder& holder) {
    const std::string path = dir + "/" + collection_lock_name;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) return errno;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int failure = errno;
        // The holder writes its name right after it has the lock: give it a
        // moment before telling an unknown holder.
        for (int attempt = 0; failure == EWOULDBLOCK && attempt < 20; ++attempt) {
            holder = read_holder(fd);
            if (!holder.program.empty()) break;
            ::usleep(10'000);
        }
        ::close(fd);
        return failure;
    }
    char record[record_size];
    const int length = std::snprintf(record, sizeof record, "%.40s %ld", program.c_str(), long{::getpid()});
    std::fill(record + length, record + record_size - 1, ' ');
    record[record_size - 1] = '\n';
    // On a full disk the holder goes unnamed; the lock holds all the same.
    [[maybe_unused]] const ssize_t written = ::pwrite(fd, record, record_size, 0);
    lock.fd = fd;
    return 0;
}

void release_collection_lock(collection_lock& lock) {
    if (lock.fd >= 0) ::close(lock.fd);
    lock.fd = -1;
}
