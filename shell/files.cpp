#include "shell/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <optional>

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
int read_whole(const std::string& path, std::string& bytes) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        int failure = S_ISDIR(info.st_mode) ? EISDIR : errno;
        ::close(fd);
        return failure;
    }
    // Read straight into the text; one more byte than the size shows whether
    // the file grew meanwhile, and then the buffer grows with it.
    size_t filled = 0;
    bytes.resize(static_cast<size_t>(std::max<off_t>(info.st_size, 0)) + 1);
    for (;;) {
        if (filled == bytes.size()) bytes.resize(bytes.size() * 2);
        ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            int failure = errno;
            ::close(fd);
            return failure;
        }
        if (got == 0) break;
        filled += static_cast<size_t>(got);
    }
    ::close(fd);
    bytes.resize(filled);
    return 0;
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

}  // namespace

void set_last_error(int error) {
    error_number = error;
}

int begin_replacement(const std::string& target, file_replacement& replacement) {
    namespace fs = std::filesystem;
    struct stat old {};
    bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) return EISDIR;
    fs::path path(target);
    if (path.filename().empty()) return ENOENT;
    fs::path dir = path.parent_path();
    // A dot in front keeps the temporary file out of the backup's wildcards.
    std::string base = ".";
    base += path.filename().string().substr(0, 200) + "." + std::to_string(::getpid()) + "-";
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
        ssize_t put = ::write(replacement.fd, bytes, size);
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
    int failure = 0;
    if (::fsync(replacement.fd) != 0) failure = errno;
    if (::close(replacement.fd) != 0 && failure == 0) failure = errno;
    replacement.fd = -1;
    if (failure == 0 && ::rename(replacement.temp_path.c_str(), replacement.target.c_str()) != 0)
        failure = errno;
    if (failure != 0) ::unlink(replacement.temp_path.c_str());
    return failure;
}

void abandon_replacement(file_replacement& replacement) {
    if (replacement.fd >= 0) ::close(replacement.fd);
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
    numbered_file* file = input_file(number);
    error_number = file ? 0 : EBADF;
    return file ? read_text_field(file->data, file->pos, keep_blanks) : "";
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
    error_number = ::unlink(path.c_str()) == 0 || errno == ENOENT ? 0 : errno;
}
