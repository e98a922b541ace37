#pragma once
#include <string>

// The lock that keeps the program and the import tool off one collection
// at the same time, whatever names they were started under: an advisory
// lock (flock) on a hidden file in the collection's directory, held while
// the process runs and dropped by the system when it ends, even when killed.
// The hidden name keeps the file out of the backup's wildcards.
inline const std::string collection_lock_name = ".larderon.lock";

struct collection_lock {
    int fd = -1;
};

// Who holds a lock: the program name and process number it wrote.
struct lock_holder {
    std::string program;  // empty when it has written nothing readable yet
    long pid = 0;
};

// Takes the lock of the collection in `dir` without waiting and writes
// "PROGRAM PID" into the lock file. Gives 0 when taken; EWOULDBLOCK when
// another process holds it, which is then told in `holder`; otherwise the
// system's error number.
int take_collection_lock(const std::string& dir, const std::string& program, collection_lock& lock,
                         lock_holder& holder);
void release_collection_lock(collection_lock& lock);
