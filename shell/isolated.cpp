#include "shell/isolated.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <exception>
#include <new>

namespace {

bool write_all(int fd, std::string_view bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

void read_all(int fd, const std::function<void(std::string_view)>& take) {
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return;
        take(std::string_view(chunk, static_cast<std::size_t>(got)));
    }
}

// The child's address space now, from /proc; 0 when it cannot be told.
[[maybe_unused]] std::size_t address_space_size() {
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm) return 0;
    unsigned long pages = 0;
    const bool read = std::fscanf(statm, "%lu", &pages) == 1;
    std::fclose(statm);
    return read ? pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)) : 0;
}

void limit_address_space(std::size_t more) {
#if defined(__SANITIZE_ADDRESS__)
    (void)more;  // the address sanitizer reserves terabytes up front
#else
    if (const std::size_t now = address_space_size()) {
        const rlimit limit{static_cast<rlim_t>(now + more), static_cast<rlim_t>(now + more)};
        ::setrlimit(RLIMIT_AS, &limit);
    }
#endif
}

constexpr int out_of_memory_status = 3;

// An allocation that fails where no exception may pass (in a destructor)
// ends the child through terminate, which would print on the terminal: it
// is the memory limit all the same.
[[noreturn]] void end_child_quietly() {
    int status = 1;
    if (const std::exception_ptr error = std::current_exception()) {
        try {
            std::rethrow_exception(error);
        } catch (const std::bad_alloc&) {
            status = out_of_memory_status;
        } catch (...) {
        }
    }
    ::_exit(status);
}

}  // namespace

isolated_run run_isolated_sending(const std::function<void(const byte_sender& send)>& work,
                                  const std::function<void(std::string_view piece)>& take, int cpu_seconds,
                                  std::size_t memory_bytes, const std::function<void()>& forked) {
    const byte_sender take_here = [&](std::string_view piece) { return take(piece), true; };
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return work(take_here), isolated_run{true, {}, {}};
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(ends[0]);
        ::close(ends[1]);
        return work(take_here), isolated_run{true, {}, {}};
    }
    if (child == 0) {
        ::close(ends[0]);
        const rlimit limit{static_cast<rlim_t>(cpu_seconds), static_cast<rlim_t>(cpu_seconds) + 1};
        ::setrlimit(RLIMIT_CPU, &limit);
        limit_address_space(memory_bytes);
        std::set_terminate(end_child_quietly);
        // _exit: the parent's buffers and exit handlers are not the child's to run.
        try {
            bool sent = true;
            work([&](std::string_view piece) { return sent = sent && write_all(ends[1], piece); });
            ::_exit(sent ? 0 : 1);
        } catch (const std::bad_alloc&) {
            ::_exit(out_of_memory_status);
        }
    }
    ::close(ends[1]);
    if (forked) forked();
    read_all(ends[0], take);
    ::close(ends[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    isolated_run run;
    run.finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (run.finished) return run;
    const bool out_of_time = WIFSIGNALED(status) && (WTERMSIG(status) == SIGXCPU || WTERMSIG(status) == SIGKILL);
    const bool out_of_memory = WIFEXITED(status) && WEXITSTATUS(status) == out_of_memory_status;
    run.failure = out_of_time     ? "it takes more than " + std::to_string(cpu_seconds) + " seconds to read"
                  : out_of_memory ? "it needs more than " + std::to_string(memory_bytes >> 20) + " MB of memory to read"
                                  : "the reader stopped on it";
    return run;
}

isolated_run run_isolated(const std::function<std::string()>& work, int cpu_seconds, std::size_t memory_bytes) {
    std::string output;
    isolated_run run = run_isolated_sending([&](const byte_sender& send) { send(work()); },
                                            [&](std::string_view piece) { output.append(piece); }, cpu_seconds,
                                            memory_bytes);
    if (run.finished) run.output = std::move(output);
    return run;
}
