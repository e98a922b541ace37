#include "shell/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>
#include <string_view>

#include "shell/fields.h"
#include "shell/services.h"
#include "shell/text.h"

namespace {

constexpr int highest_file_number = 254;

struct numbered_file {
    file_mode mode = file_mode::input;
    std::string data;  // input: the whole file; output and append: bytes not yet handed on
    size_t pos = 0;    // input: where the next field starts
    file_replacement replacement;  // output and append: the file that takes the target's place
    int write_error = 0;           // output and append: the first failure, reported at close
};

// Output goes to the temporary file in pieces of this size, so that a large
// file needs no buffer of its own size; the target changes only at close.
constexpr size_t output_piece = 65536;

std::array<std::optional<numbered_file>, highest_file_number + 1> files;
int error_number = 0;

// Reads the whole file at once, so that the field reader works in memory.
// Only the bytes it held at the open are read: a file that grows meanwhile
// can't keep the reader busy or make it run out of memory.
int read_whole(const std::string& path, std::string& bytes) {
    int fd = -1;
    size_t size = 0;
    if (int failure = open_regular_input(path, fd, size)) return failure;
    int failure = 0;
    size_t filled = 0;
    try {
        bytes.resize(size);
    } catch (const std::exception&) {
        failure = ENOMEM;
    }
    while (failure == 0 && filled < size) {
        ssize_t got = ::read(fd, bytes.data() + filled, size - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) failure = errno;
        if (got <= 0) break;
        filled += static_cast<size_t>(got);
    }
    ::close(fd);
    bytes.resize(failure == 0 ? filled : 0);
    return failure;
}

numbered_file* file_of(int number) {
    if (number < 1 || number > highest_file_number || !files[static_cast<size_t>(number)]) return nullptr;
    return &*files[static_cast<size_t>(number)];
}

numbered_file* input_file(int number) {
    numbered_file* file = file_of(number);
    return file && file->mode == file_mode::input ? file : nullptr;
}

numbered_file* output_file(int number) {
    numbered_file* file = file_of(number);
    return file && file->mode != file_mode::input ? file : nullptr;
}

// Hands the buffered bytes to the temporary file. After a failure the
// temporary file is gone and later output is dropped until the close.
void hand_on_output(numbered_file& file) {
    if (file.write_error == 0)
        file.write_error = write_replacement(file.replacement, file.data.data(), file.data.size());
    file.data.clear();
}

// Closes one open number; an output file is put in place now. 0 or the error.
int close_number(int number) {
    numbered_file* file = file_of(number);
    if (!file) return 0;
    int failure = 0;
    if (file->mode != file_mode::input) {
        hand_on_output(*file);
        failure = file->write_error;
        if (failure == 0) failure = commit_replacement(file->replacement);
    }
    files[static_cast<size_t>(number)].reset();
    return failure;
}

// The output file of a number, or null with last_error set.
numbered_file* output_or_error(int number) {
    numbered_file* file = output_file(number);
    error_number = file ? 0 : EBADF;
    return file;
}

void output_added(numbered_file& file) {
    if (file.data.size() >= output_piece) hand_on_output(file);
}

void add_output(int number, const std::string& bytes) {
    if (numbered_file* file = output_or_error(number)) {
        file->data += bytes;
        output_added(*file);
    }
}

// The temporary name ".NAME.PID-N" of a replacement, checked against the
// ".NAME." of a target: true when it is one whose process no longer runs.
bool left_by_dead_writer(std::string_view name, std::string_view prefix) {
    if (!name.starts_with(prefix)) return false;
    name.remove_prefix(prefix.size());
    const size_t dash = name.find('-');
    if (dash == std::string_view::npos || dash + 1 == name.size()) return false;
    pid_t pid = 0;
    unsigned long counter = 0;
    const char* pid_end = name.data() + dash;
    const char* end = name.data() + name.size();
    auto [after_pid, pid_error] = std::from_chars(name.data(), pid_end, pid);
    auto [after_counter, counter_error] = std::from_chars(pid_end + 1, end, counter);
    if (pid_error != std::errc{} || after_pid != pid_end || pid <= 0 || counter_error != std::errc{} ||
        after_counter != end)
        return false;
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// Removes what killed rewrites of the same target left in its directory.
// Files of running processes, this one included, stay. Only a process that
// has ended leaves such files, so one look per target and run is enough: a
// directory of many thousand recipes is not read again at every save.
void remove_stale_temporaries(const std::string& dir, const std::string& prefix) {
    static std::set<std::string> cleaned;
    std::error_code failed;
    if (!cleaned.insert((std::filesystem::absolute(dir, failed) / prefix).string()).second) return;
    DIR* entries = ::opendir(dir.c_str());
    if (!entries) return;
    while (dirent* entry = ::readdir(entries))
        if (left_by_dead_writer(entry->d_name, prefix)) ::unlinkat(::dirfd(entries), entry->d_name, 0);
    ::closedir(entries);
}

// A dot in front keeps the temporary file out of the backup's wildcards.
std::string temporary_prefix(const std::filesystem::path& target) {
    std::string prefix = ".";
    return prefix.append(target.filename().string(), 0, 200).append(".");
}

int rename_with_flags(const char* from, const char* to, unsigned flags) {
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, flags);
}

// Renames the temporary file over the target and flushes the directory, so
// that the new name is on disk before success is reported. Swapping the two
// names keeps the old file at hand until then: when the flush fails it goes
// back under its name (the temporary name then holds the new bytes). Where
// the file system can't swap, a plain rename does; a target that did not
// exist before is removed again.
int put_in_place(const file_replacement& replacement) {
    replacement_calls& calls = replacement_system();
    std::string dir = std::filesystem::path(replacement.target).parent_path().string();
    int dir_fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir_fd < 0) return errno;
    const char* temp = replacement.temp_path.c_str();
    const char* target = replacement.target.c_str();
    const bool swapped = calls.rename(temp, target, RENAME_EXCHANGE) == 0;
    int failure = swapped ? 0 : errno;
    const bool was_new = failure == ENOENT;
    if (was_new || failure == EINVAL || failure == ENOSYS || failure == EOPNOTSUPP)
        failure = calls.rename(temp, target, 0) == 0 ? 0 : errno;
    if (failure == 0 && calls.fsync(dir_fd) != 0) {
        failure = errno;
        if (swapped)
            calls.rename(temp, target, RENAME_EXCHANGE);
        else if (was_new)
            ::unlink(target);
    }
    ::close(dir_fd);
    if (swapped && failure == 0) ::unlink(temp);  // the old file, now under the temporary name
    return failure;
}

}  // namespace

void set_last_error(int error) {
    error_number = error;
}

replacement_calls& replacement_system() {
    static replacement_calls calls{::write, ::fsync, ::close, rename_with_flags, ::unlink};
    return calls;
}

int open_regular_input(const std::string& path, int& fd, size_t& size) {
    // Without blocking, a FIFO with no writer can't hold the open up.
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno;
    struct stat info {};
    int failure = 0;
    if (::fstat(fd, &info) != 0)
        failure = errno;
    else if (S_ISDIR(info.st_mode))
        failure = EISDIR;
    else if (!S_ISREG(info.st_mode))
        failure = ENOENT;
    if (failure != 0) {
        ::close(fd);
        fd = -1;
        return failure;
    }
    size = static_cast<size_t>(std::max<off_t>(info.st_size, 0));
    return 0;
}

void remove_stale_replacements(const std::string& target) {
    const std::filesystem::path path(target);
    const std::filesystem::path dir = path.parent_path();
    remove_stale_temporaries(dir.empty() ? "." : dir.string(), temporary_prefix(path));
}

int begin_replacement(const std::string& target, file_replacement& replacement) {
    namespace fs = std::filesystem;
    struct stat old {};
    bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) return EISDIR;
    fs::path path(target);
    if (path.filename().empty()) return ENOENT;
    fs::path dir = path.parent_path();
    const std::string prefix = temporary_prefix(path);
    remove_stale_temporaries(dir.empty() ? "." : dir.string(), prefix);
    const std::string base = prefix + std::to_string(::getpid()) + "-";
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temp = (dir / (base + std::to_string(++counter))).string();
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return errno;
        if (exists) ::fchmod(fd, old.st_mode & 07777);
        replacement = {fd, temp, target};
        return 0;
    }
    return EEXIST;
}

int write_replacement(file_replacement& replacement, const char* bytes, size_t size) {
    while (size > 0) {
        ssize_t put = replacement_system().write(replacement.fd, bytes, size);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) {
            int failure = errno;
            abandon_replacement(replacement);
            return failure;
        }
        bytes += put;
        size -= static_cast<size_t>(put);
    }
    return 0;
}

int commit_replacement(file_replacement& replacement) {
    replacement_calls& calls = replacement_system();
    int failure = 0;
    if (calls.fsync(replacement.fd) != 0) failure = errno;
    if (calls.close(replacement.fd) != 0 && failure == 0) failure = errno;
    replacement.fd = -1;
    if (failure == 0) failure = put_in_place(replacement);
    if (failure != 0) ::unlink(replacement.temp_path.c_str());
    return failure;
}

void abandon_replacement(file_replacement& replacement) {
    if (replacement.fd >= 0) replacement_system().close(replacement.fd);
    replacement.fd = -1;
    ::unlink(replacement.temp_path.c_str());
}

bool file_at_end(int number) {
    numbered_file* file = input_file(number);
    return !file || file->pos >= file->data.size();
}

void open_file(const std::string& name, file_mode mode, int number) {
    if (number < 1 || number > highest_file_number) {
        error_number = EBADF;
        return;
    }
    // An open number is closed first, so that a forgotten close cannot keep
    // it busy for good.
    close_number(number);
    numbered_file file;
    file.mode = mode;
    int failure = 0;
    if (mode == file_mode::input) {
        failure = read_whole(name, file.data);
    } else {
        if (mode == file_mode::append) {
            failure = read_whole(name, file.data);
            if (failure == ENOENT) failure = 0;
        }
        if (failure == 0) failure = begin_replacement(name, file.replacement);
    }
    error_number = failure;
    if (failure == 0) files[static_cast<size_t>(number)] = std::move(file);
}

void close_file(int number) {
    if (number != 0) {
        error_number = number < 0 || number > highest_file_number ? EBADF : close_number(number);
        return;
    }
    error_number = 0;
    for (int n = 1; n <= highest_file_number; ++n) {
        int failure = close_number(n);
        if (error_number == 0) error_number = failure;
    }
}

std::string read_field(int number, bool keep_blanks) {
    return std::string(read_field_view(number, keep_blanks));
}

std::string_view read_field_view(int number, bool keep_blanks) {
    numbered_file* file = input_file(number);
    error_number = file ? 0 : EBADF;
    return file ? read_text_view(file->data, file->pos, keep_blanks) : std::string_view();
}

size_t unread_bytes(int number) {
    numbered_file* file = input_file(number);
    return file && file->pos < file->data.size() ? file->data.size() - file->pos : 0;
}

int64_t read_number_field(int number) {
    numbered_file* file = input_file(number);
    error_number = file ? 0 : EBADF;
    return file ? read_number_from(file->data, file->pos) : 0;
}

void write_field(int number, const std::string& text, bool last) {
    if (numbered_file* file = output_or_error(number)) {
        append_text_field(file->data, text);
        file->data += last ? "\r\n" : ",";
        output_added(*file);
    }
}

void write_number_field(int number, int64_t value, bool last) {
    add_output(number, int_to_text(value) + (last ? "\r\n" : ","));
}

void print_to_file(int number, const std::string& text, bool line_end) {
    if (number == 0) {
        print_text(text, line_end);
        error_number = 0;
        return;
    }
    add_output(number, line_end ? text + "\r\n" : text);
}

void print_number_to_file(int number, int32_t value, bool line_end) {
    if (number == 0) {
        print_number(value, line_end);
        error_number = 0;
        return;
    }
    std::string text = value < 0 ? "" : " ";
    text += int_to_text(value);
    add_output(number, line_end ? text + "\r\n" : text);
}

int last_error() {
    return error_number;
}

void delete_file(const std::string& path) {
    error_number = replacement_system().unlink(path.c_str()) == 0 || errno == ENOENT ? 0 : errno;
}
