#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "platform/platform.h"
#include "shell/files.h"
#include "shell/services.h"
#include "shell/text.h"

extern char** environ;

namespace {

std::vector<std::string> arguments;  // the command line without the program name
std::string program_path;            // argv[0]

// Splits a command line at blanks; double quotes group blanks and are
// removed, and a quoted part joins the text right after it into one word.
std::vector<std::string> split_words(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool in_word = false, quoted = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            in_word = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (in_word) words.push_back(word);
            word.clear();
            in_word = false;
        } else {
            word += c;
            in_word = true;
        }
    }
    if (in_word) words.push_back(word);
    return words;
}

// A byte copy that replaces dest through a temporary file. 0 or 1.
int copy_file(const std::string& source, const std::string& dest) {
    int in = ::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);  // a FIFO must not hold the copy up
    if (in < 0) return 1;
    struct stat info {};
    file_replacement out;
    if (::fstat(in, &info) != 0 || !S_ISREG(info.st_mode) || begin_replacement(dest, out) != 0) {
        ::close(in);
        return 1;
    }
    // The kernel copies without a trip through this program where it can;
    // where it cannot, plain reads and writes do it from the start.
    for (size_t copied = 0;;) {
        ssize_t got = ::copy_file_range(in, nullptr, out.fd, nullptr, size_t{1} << 30, 0);
        if (got > 0) {
            copied += static_cast<size_t>(got);
            continue;
        }
        if (got == 0) {
            ::close(in);
            return commit_replacement(out) == 0 ? 0 : 1;
        }
        if (errno == EINTR) continue;
        bool unsupported = errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP;
        if (copied > 0 || !unsupported) {
            abandon_replacement(out);
            ::close(in);
            return 1;
        }
        break;
    }
    char chunk[65536];
    for (;;) {
        ssize_t got = ::read(in, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            abandon_replacement(out);
            ::close(in);
            return 1;
        }
        if (got == 0) break;
        if (write_replacement(out, chunk, static_cast<size_t>(got)) != 0) {
            ::close(in);
            return 1;
        }
    }
    ::close(in);
    return commit_replacement(out) == 0 ? 0 : 1;
}

// A rename, or a copy and a delete across file systems; a directory as dest
// receives the file under its own name. 0 or 1; on failure source stays.
int move_file(const std::string& source, std::string dest) {
    struct stat info {};
    if (::stat(dest.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        dest = (std::filesystem::path(dest) / std::filesystem::path(source).filename()).string();
    if (::rename(source.c_str(), dest.c_str()) == 0) return 0;
    if (errno != EXDEV || copy_file(source, dest) != 0) return 1;
    return ::unlink(source.c_str()) == 0 ? 0 : 1;
}

int run_shell(const std::string& line) {
    std::fflush(nullptr);  // our buffered output comes before the command's
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // The program ignores SIGXFSZ for its own writes; commands get the default.
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGXFSZ);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    char* argv[] = {const_cast<char*>("sh"), const_cast<char*>("-c"), const_cast<char*>(line.c_str()), nullptr};
    pid_t child = 0;
    int failure = posix_spawn(&child, "/bin/sh", nullptr, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    if (failure != 0) return -1;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return -1;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + WTERMSIG(status);
}

}  // namespace

void init_services(int argc, char** argv) {
    arguments.clear();
    program_path = argc > 0 && argv ? argv[0] : "";
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    // A write past the file size limit then fails with an error that the
    // output files report, instead of killing the program.
    std::signal(SIGXFSZ, SIG_IGN);
}

std::string command_args() {
    std::string joined;
    for (size_t i = 0; i < arguments.size(); ++i) joined += (i > 0 ? " " : "") + arguments[i];
    return joined;
}

std::string executable_dir() {
    std::filesystem::path exe = platform_executable_path();
    std::error_code failed;
    if (exe.empty()) exe = std::filesystem::absolute(program_path, failed);
    return exe.parent_path().string();
}

void change_dir(const std::string& path) {
    set_last_error(::chdir(path.c_str()) == 0 ? 0 : errno);
}

bool path_exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

path_info file_info(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return {errno == ENOENT || errno == ENOTDIR ? path_kind::missing : path_kind::other, 0};
    if (!S_ISREG(info.st_mode)) return {path_kind::other, 0};
    return {path_kind::regular, static_cast<uint64_t>(info.st_size)};
}

bool lies_in_directory(const std::string& path, const std::string& dir) {
    const std::string parent = std::filesystem::path(path).parent_path().string();
    struct stat holder {}, wanted {};
    return ::stat(parent.empty() ? "." : parent.c_str(), &holder) == 0 && ::stat(dir.c_str(), &wanted) == 0 &&
           holder.st_dev == wanted.st_dev && holder.st_ino == wanted.st_ino;
}

int run_command(const std::string& line) {
    std::vector<std::string> words = split_words(line);
    if (words.empty()) return -1;
    std::string verb = upper_case(words[0]);
    if (verb == "COPY" || verb == "MOVE") {
        if (words.size() != 3) return 1;
        return verb == "COPY" ? copy_file(words[1], words[2]) : move_file(words[1], words[2]);
    }
    return run_shell(line);
}

double timer_seconds() {
    return platform_clock();
}

void end_program(int code) {
    close_file(0);
    platform_exit(code);
}
