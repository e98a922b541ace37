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
    walker(const std::string& base, const std::function<bool(const walked_file&)>& visit) : base(base), visit(visit) {}

    // False once visit has asked to stop.
    bool walk(const std::string& path) {
        struct stat info {};
        if (::stat(on_disk(path).c_str(), &info) != 0) {
            failures.push_back({path, errno});
            return true;
        }
        if (!S_ISDIR(info.st_mode)) return take_file(path, info);
        enter(path, info);
        while (!stack.empty()) {
            open_directory& top = stack.back();
            if (top.next == top.names.size()) {
                stack.pop_back();
                continue;
            }
            if (!look_at(joined(top.path, top.names[top.next++]))) return false;
        }
        return true;
    }

    std::vector<walk_failure> failures;

private:
    std::string on_disk(const std::string& path) const {
        return path.starts_with('/') || base.empty() ? path : joined(base, path);
    }

    bool take_file(const std::string& path, const struct stat& info) {
        const bool regular = S_ISREG(info.st_mode);
        return visit({path, regular ? static_cast<uint64_t>(info.st_size) : 0, regular});
    }

    void enter(const std::string& dir, const struct stat& info) {
        if (!seen.insert({info.st_dev, info.st_ino}).second) return;
        open_directory opened{dir, {}, 0};
        if (int failure = list_visible(on_disk(dir), opened.names)) {
            failures.push_back({dir, failure});
            return;
        }
        stack.push_back(std::move(opened));
    }

    bool look_at(const std::string& path) {
        const std::string real = on_disk(path);
        struct stat own {};
        if (::lstat(real.c_str(), &own) != 0) {
            failures.push_back({path, errno});
            return true;
        }
        if (S_ISDIR(own.st_mode)) {
            enter(path, own);
            return true;
        }
        struct stat target = own;
        if (S_ISLNK(own.st_mode) && ::stat(real.c_str(), &target) != 0)
            return visit({path, 0, false});  // a dangling link
        if (S_ISDIR(target.st_mode)) return true;  // links are not followed into directories
        return take_file(path, target);
    }

    const std::string& base;
    const std::function<bool(const walked_file&)>& visit;
    std::vector<open_directory> stack;
    std::set<directory_id> seen;
};

}  // namespace

std::vector<walk_failure> walk_paths(const std::vector<std::string>& paths, const std::string& base,
                                     const std::function<bool(const walked_file&)>& visit) {
    walker walk(base, visit);
    for (const std::string& path : paths)
        if (!walk.walk(path)) break;
    return std::move(walk.failures);
}
