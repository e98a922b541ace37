#pragma once
#include <sys/resource.h>

#include "shell/services.h"

// Lowers the file size limit for the life of the object, so that writes
// beyond it fail.
struct file_size_limit {
    rlimit old{};
    explicit file_size_limit(rlim_t bytes) {
        char program[] = "limit_test";
        char* argv[] = {program, nullptr};
        init_services(1, argv);  // SIGXFSZ ignored: the write fails instead
        ::getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~file_size_limit() { ::setrlimit(RLIMIT_FSIZE, &old); }
};
