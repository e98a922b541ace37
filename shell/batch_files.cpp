#include "shell/batch_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "shell/file_pieces.h"
#include "shell/files.h"

namespace {

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
    return !name.empty() && name[0] != '.' && name.find('/') == std::string::npos;
}

std::string path_in(const file_batch& batch, const std::string& name) {
    return batch.dir + "/" + name;
}

// Gives the temporary file its name unless that is taken: a rename that
// refuses to replace, or where the file system has none, a hard link.
int place_without_replacing(const file_batch& batch, const std::string& name) {
    const std::string temp = path_in(batch, batch.temp_name), target = path_in(batch, name);
    if (replacement_system().rename(temp.c_str(), target.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
    if (::linkat(batch.dir_fd, batch.temp_name.c_str(), batch.dir_fd, name.c_str(), 0) != 0) return errno;
    ::unlinkat(batch.dir_fd, batch.temp_name.c_str(), 0);
    return 0;
}

}  // namespace

int begin_batch(const std::string& dir, const std::string& temp_name, const std::string& list_name,
                file_batch& batch) {
    batch = {-1, -1, dir, temp_name, list_name};
    batch.dir_fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (batch.dir_fd < 0) return errno;
    ::unlinkat(batch.dir_fd, temp_name.c_str(), 0);
    batch.list_fd = ::openat(batch.dir_fd, list_name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (batch.list_fd < 0) {
        const int failure = errno;
        end_batch(batch);
        return failure;
    }
    return 0;
}

int add_to_batch(file_batch& batch, const std::string& name, std::string_view bytes) {
    if (!is_plain_name(name)) return EINVAL;
    int fd = ::openat(batch.dir_fd, batch.temp_name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return errno;
    int failure = write_all(fd, bytes.data(), bytes.size());
    if (replacement_system().close(fd) != 0 && failure == 0) failure = errno;
    if (failure == 0) failure = place_without_replacing(batch, name);
    if (failure != 0) {
        ::unlinkat(batch.dir_fd, batch.temp_name.c_str(), 0);
        return failure;
    }
    const std::string line = name + "\n";
    return write_all(batch.list_fd, line.data(), line.size());
}

int flush_batch(const file_batch& batch) {
    if (::syncfs(batch.dir_fd) != 0) return errno;
    return replacement_system().fsync(batch.dir_fd) == 0 ? 0 : errno;
}

void remove_batch_files(const file_batch& batch, const std::vector<std::string>& names) {
    for (const std::string& name : names)
        if (is_plain_name(name)) ::unlinkat(batch.dir_fd, name.c_str(), 0);
    ::fsync(batch.dir_fd);
}

void end_batch(file_batch& batch) {
    if (batch.list_fd >= 0) ::close(batch.list_fd);
    if (batch.dir_fd >= 0) {
        ::unlinkat(batch.dir_fd, batch.list_name.c_str(), 0);
        ::unlinkat(batch.dir_fd, batch.temp_name.c_str(), 0);
        ::close(batch.dir_fd);
    }
    batch.list_fd = batch.dir_fd = -1;
}

std::vector<std::string> read_batch_list(const std::string& path) {
    constexpr uint64_t largest_list = uint64_t{1} << 28;
    std::string bytes;
    std::vector<std::string> names;
    if (read_file_up_to(path, largest_list, bytes) != 0) return names;
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        if (end > start) names.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

int list_directory(const std::string& dir, std::vector<std::string>& names) {
    DIR* entries = ::opendir(dir.c_str());
    if (!entries) return errno;
    errno = 0;
    while (dirent* entry = ::readdir(entries)) {
        names.emplace_back(entry->d_name);
        errno = 0;
    }
    const int failure = errno;
    ::closedir(entries);
    return failure;
}
