#include "shell/batch_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

#include "shell/file_pieces.h"
#include "shell/files.h"

namespace {

// Files renamed into place together after one flush of the list.
constexpr size_t group_size = 128;

int write_all(int fd, const char* bytes, size_t size) {
    while (size > 0) {
        ssize_t put = replacement_system().write(fd, bytes, size);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return errno;
        bytes += put;
        size -= static_cast<size_t>(put);
    }
    return 0;
}

bool is_plain_name(const std::string& name) {
    return !name.empty() && name[0] != '.' && name.find_first_of("/\n") == std::string::npos;
}

std::string path_in(const std::string& dir, const std::string& name) {
    return dir + "/" + name;
}

// The temporary name of the slot-th file of a group.
std::string temporary(const std::string& temp_name, size_t slot) {
    return temp_name + "." + std::to_string(slot);
}

void remove_temporaries(int dir_fd, const std::string& temp_name) {
    ::unlinkat(dir_fd, temp_name.c_str(), 0);
    for (size_t slot = 0; slot < group_size; ++slot) ::unlinkat(dir_fd, temporary(temp_name, slot).c_str(), 0);
}

// Removes the files still the very ones listed: a file made under a listed
// name by anyone else since has another number.
void remove_listed(int dir_fd, const std::vector<listed_file>& files) {
    for (const listed_file& file : files) {
        struct stat found {};
        if (is_plain_name(file.name) && ::fstatat(dir_fd, file.name.c_str(), &found, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(found.st_mode) && found.st_ino == file.inode)
            ::unlinkat(dir_fd, file.name.c_str(), 0);
    }
}

// Gives a temporary file its name unless that is taken: a rename that
// refuses to replace, or where the file system has none, a hard link.
int place_without_replacing(const file_batch& batch, const std::string& temp, const std::string& name) {
    const std::string from = path_in(batch.dir, temp), to = path_in(batch.dir, name);
    if (replacement_system().rename(from.c_str(), to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
    if (::linkat(batch.dir_fd, temp.c_str(), batch.dir_fd, name.c_str(), 0) != 0) return errno;
    ::unlinkat(batch.dir_fd, temp.c_str(), 0);
    return 0;
}

// The list names every waiting file already: once it is on disk they may be
// seen under their names.
int place_waiting(file_batch& batch) {
    if (batch.waiting.empty()) return 0;
    if (replacement_system().fsync(batch.list_fd) != 0) {
        batch.failed_name = batch.list_name;
        return errno;
    }
    for (size_t slot = 0; slot < batch.waiting.size(); ++slot) {
        if (int failure = place_without_replacing(batch, temporary(batch.temp_name, slot), batch.waiting[slot])) {
            batch.failed_name = batch.waiting[slot];
            return failure;
        }
    }
    batch.waiting.clear();
    return 0;
}

}  // namespace

int begin_batch(const std::string& dir, const std::string& temp_name, const std::string& list_name,
                file_batch& batch) {
    batch = {-1, -1, dir, temp_name, list_name, {}, {}};
    batch.dir_fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (batch.dir_fd < 0) return errno;
    remove_temporaries(batch.dir_fd, temp_name);
    batch.list_fd = ::openat(batch.dir_fd, list_name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (batch.list_fd < 0) {
        const int failure = errno;
        end_batch(batch);
        return failure;
    }
    return 0;
}

int add_to_batch(file_batch& batch, const std::string& name, std::string_view bytes) {
    if (batch.waiting.size() == group_size)
        if (int failure = place_waiting(batch)) return failure;
    batch.failed_name = name;
    if (!is_plain_name(name)) return EINVAL;
    struct stat found {};
    if (::fstatat(batch.dir_fd, name.c_str(), &found, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
    const std::string temp = temporary(batch.temp_name, batch.waiting.size());
    int fd = ::openat(batch.dir_fd, temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return errno;
    struct stat written {};
    int failure = ::fstat(fd, &written) == 0 ? 0 : errno;
    if (failure == 0) failure = write_all(fd, bytes.data(), bytes.size());
    if (replacement_system().close(fd) != 0 && failure == 0) failure = errno;
    if (failure == 0) {
        const std::string line = std::to_string(written.st_ino) + " " + name + "\n";
        failure = write_all(batch.list_fd, line.data(), line.size());
    }
    if (failure != 0) {
        ::unlinkat(batch.dir_fd, temp.c_str(), 0);
        return failure;
    }
    batch.waiting.push_back(name);
    return 0;
}

int flush_batch(file_batch& batch) {
    if (int failure = place_waiting(batch)) return failure;
    if (::syncfs(batch.dir_fd) != 0) return errno;
    return replacement_system().fsync(batch.dir_fd) == 0 ? 0 : errno;
}

void remove_batch_files(const file_batch& batch) {
    remove_listed(batch.dir_fd, read_batch_list(path_in(batch.dir, batch.list_name)));
    ::fsync(batch.dir_fd);
}

void end_batch(file_batch& batch) {
    if (batch.list_fd >= 0) ::close(batch.list_fd);
    if (batch.dir_fd >= 0) {
        ::unlinkat(batch.dir_fd, batch.list_name.c_str(), 0);
        remove_temporaries(batch.dir_fd, batch.temp_name);
        ::close(batch.dir_fd);
    }
    batch.list_fd = batch.dir_fd = -1;
    batch.waiting.clear();
}

void remove_left_batch(const std::string& dir, const std::string& temp_name, const std::string& list_name,
                       const std::vector<listed_file>& files) {
    const int dir_fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir_fd < 0) return;
    remove_listed(dir_fd, files);
    remove_temporaries(dir_fd, temp_name);
    ::unlinkat(dir_fd, list_name.c_str(), 0);
    ::fsync(dir_fd);
    ::close(dir_fd);
}

std::vector<listed_file> read_batch_list(const std::string& path) {
    constexpr uint64_t largest_list = uint64_t{1} << 28;
    std::string bytes;
    std::vector<listed_file> files;
    if (read_file_up_to(path, largest_list, bytes) != 0) return files;
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find('\n', start);
        // "INODE NAME"; a line cut short by a failed write names no file.
        const bool whole = end != std::string::npos;
        if (!whole) end = bytes.size();
        const char* line_end = bytes.data() + end;
        listed_file file;
        auto [after, error] = std::from_chars(bytes.data() + start, line_end, file.inode);
        if (whole && error == std::errc{} && after < line_end && *after == ' ') {
            file.name.assign(after + 1, line_end);
            files.push_back(std::move(file));
        }
        start = end + 1;
    }
    return files;
}

