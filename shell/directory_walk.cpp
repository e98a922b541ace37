#include "shell/directory_walk.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <set>
#include <utility>

namespace {

using directory_id = std::pair<dev_t, ino_t>;

// A directory being walked: its names and the next one to look at.
struct open_directory {
    std::string path;
    std::vector<std::string> names;
    size_t next = 0;
};

std::string joined(const std::string& dir, const std::string& name) {
    return dir.ends_with('/') ? dir + name : dir + "/" + name;
}

// The names in a directory that do not begin with a dot, in byte order.
int list_visible(const std::string& dir, std::vector<std::string>& names) {
    DIR* entries = ::opendir(dir.c_str());
    if (!entries) return errno;
    errno = 0;
    while (dirent* entry = ::readdir(entries)) {
        if (entry->d_name[0] != '.') names.emplace_back(entry->d_name);
        errno = 0;
    }
    const int failure = errno;
    ::closedir(entries);
    std::sort(names.begin(), names.end());
    return failure;
}

class walker {
public:
    explicit walker(walk_result& result) : result(result) {}

    void walk(const std::string& root, const struct stat& info) {
        enter(root, info);
        while (!stack.empty()) {
            open_directory& top = stack.back();
            if (top.next == top.names.size()) {
                stack.pop_back();
                continue;
            }
            look_at(joined(top.path, top.names[top.next++]));
        }
    }

    void add_file(const std::string& path, const struct stat& info) {
        const bool regular = S_ISREG(info.st_mode);
        result.files.push_back({path, regular ? static_cast<uint64_t>(info.st_size) : 0, regular});
    }

private:
    void enter(const std::string& dir, const struct stat& info) {
        if (!seen.insert({info.st_dev, info.st_ino}).second) return;
        open_directory opened{dir, {}, 0};
        if (int failure = list_visible(dir, opened.names)) {
            result.failures.push_back({dir, failure});
            return;
        }
        stack.push_back(std::move(opened));
    }

    void look_at(const std::string& path) {
        struct stat own {};
        if (::lstat(path.c_str(), &own) != 0) {
            result.failures.push_back({path, errno});
            return;
        }
        if (S_ISDIR(own.st_mode)) {
            enter(path, own);
            return;
        }
        struct stat target = own;
        if (S_ISLNK(own.st_mode) && ::stat(path.c_str(), &target) != 0) {
            result.files.push_back({path, 0, false});  // a dangling link
            return;
        }
        if (S_ISDIR(target.st_mode)) return;  // links are not followed into directories
        add_file(path, target);
    }

    walk_result& result;
    std::vector<open_directory> stack;
    std::set<directory_id> seen;
};

}  // namespace

walk_result walk_paths(const std::vector<std::string>& paths) {
    walk_result result;
    walker walk(result);
    for (const std::string& path : paths) {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0)
            result.failures.push_back({path, errno});
        else if (S_ISDIR(info.st_mode))
            walk.walk(path, info);
        else
            walk.add_file(path, info);
    }
    return result;
}
