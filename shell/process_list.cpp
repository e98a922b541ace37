// The single-instance rule's view of the running processes, from /proc.
#include <dirent.h>
#include <unistd.h>

#include <cctype>
#include <fstream>

#include "shell/process_list.h"
#include "shell/text.h"

std::optional<std::string> list_process_names() {
    DIR* proc = opendir("/proc");
    if (!proc) return std::nullopt;
    std::string names;
    while (dirent* entry = readdir(proc)) {
        if (!std::isdigit(static_cast<unsigned char>(entry->d_name[0]))) continue;
        std::ifstream comm(std::string("/proc/") + entry->d_name + "/comm");
        std::string name;
        if (std::getline(comm, name)) names += name;
    }
    closedir(proc);
    return names;
}

bool another_copy_running(const std::string& names, const std::string& own_name) {
    int first = find_text(names, own_name, 1);
    return first > 0 && find_text(names, own_name, first + static_cast<int>(own_name.size())) > 0;
}

// The kernel keeps at most 15 bytes of a process's name.
std::string own_process_name() {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string exe = length > 0 ? std::string(path, static_cast<size_t>(length)) : "larderon";
    std::string name = exe.substr(exe.find_last_of('/') + 1);
    return name.substr(0, 15);
}
