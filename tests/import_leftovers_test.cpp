#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <sstream>

#include "import_recipes/import_tool.h"
#include "shell/collection_lock.h"
#include "shell/files.h"
#include "tests/file_size_limit.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

ino_t inode_of(const fs::path& path) {
    struct stat found {};
    EXPECT_EQ(::stat(path.c_str(), &found), 0);
    return found.st_ino;
}

// A JSON file of `count` small schema.org recipes named Dish 1, Dish 2...
std::string dishes(int count) {
    std::string json = "[";
    for (int i = 1; i <= count; ++i)
        json += std::string(i > 1 ? "," : "") + R"({"@type":"Recipe","name":"Dish )" + std::to_string(i) +
                R"(","recipeIngredient":["1 egg"],"recipeInstructions":"Boil."})";
    return json + "]";
}

// What the system calls of the batch did, in order: "list" for a write to
// the run list, "sync" for its flush, "rename NAME", and a failing call
// where the test asks for one.
struct call_log {
    static inline std::vector<std::string> calls;
    static inline std::string fail_at;  // the call that fails, as it would be logged
    static inline int error = 0;
    replacement_calls saved = replacement_system();

    static bool is_run_list(int fd) {
        char path[4096];
        const ssize_t length = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path);
        return length > 0 && std::string_view(path, static_cast<size_t>(length)).ends_with(".import-recipes.run");
    }
    static bool failing(const std::string& call) {
        calls.push_back(call);
        return call == fail_at;
    }

    explicit call_log(std::string failing_call = "", int failure = EIO) {
        calls.clear();
        fail_at = std::move(failing_call);
        error = failure;
        replacement_system().write = [](int fd, const void* bytes, size_t size) -> ssize_t {
            if (is_run_list(fd) && failing("list")) return errno = error, -1;
            return ::write(fd, bytes, size);
        };
        replacement_system().fsync = [](int fd) {
            if (is_run_list(fd) && failing("sync")) return errno = error, -1;
            return ::fsync(fd);
        };
        replacement_system().rename = [](const char* from, const char* to, unsigned flags) {
            if (failing("rename " + fs::path(to).filename().string())) return errno = error, -1;
            return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, flags);
        };
    }
    ~call_log() { replacement_system() = saved; }
};

class import_leftovers_test : public larder_test {
protected:
    void SetUp() override {
        larder_test::SetUp();
        collection = dir / "Larderon";
        fs::create_directory(collection);
        write_whole_file(collection / "Kept.rcp", "\"Kept\",\"\",\"\"\r\n\"\",0\r\n0\r\n0\r\n");
        write_whole_file(collection / "default.ldr", "1\r\n\"Kept\",\"\",\"\",\"Kept.rcp\"\r\n");
    }

    std::pair<int, std::string> import(const std::vector<std::string>& args) {
        std::ostringstream out, err;
        const int status = import_recipes(args, {collection.string(), out, err, false});
        fs::current_path(dir);
        return {status, err.str()};
    }

    fs::path collection;
};

}  // namespace

TEST_F(import_leftovers_test, a_run_that_adds_nothing_still_clears_what_a_killed_run_left) {
    const file_map before = collection_files(collection);
    // A killed run: two files it renamed in, one listed name that someone
    // else has made since, its temporary files, its list; and the temporary
    // index copy of a swap killed midway, by a process number no process has.
    write_whole_file(collection / "Dish 1.rcp", "\"Dish 1\",\"\",\"\"\r\n\"\",0\r\n0\r\n0\r\n");
    write_whole_file(collection / "Dish 2.rcp", "\"Dish 2\",\"\",\"\"\r\n\"\",0\r\n0\r\n0\r\n");
    write_whole_file(collection / "Theirs.rcp", "not the run's");
    write_whole_file(collection / ".import-recipes.part.0", "\"Dish 3");
    write_whole_file(collection / ".import-recipes.part.127", "\"Dish 4");
    write_whole_file(collection / ".import-recipes.run",
                     std::to_string(inode_of(collection / "Dish 1.rcp")) + " Dish 1.rcp\n" +
                         std::to_string(inode_of(collection / "Dish 2.rcp")) + " Dish 2.rcp\n" +
                         std::to_string(inode_of(collection / "Kept.rcp")) + " Kept.rcp\n" +
                         std::to_string(inode_of(collection / "Theirs.rcp") + 1) + " Theirs.rcp\n" + "12 Gone.rcp\n" +
                         std::to_string(inode_of(collection / "Dish 1.rcp")) + " Dish 1");
    std::ifstream pid_max("/proc/sys/kernel/pid_max");
    long no_process = 0;
    pid_max >> no_process;
    write_whole_file(collection / (".default.ldr." + std::to_string(no_process) + "-3"), "1\r\n");
    write_whole_file(dir / "notes.txt", "Nothing to import here.\n");

    EXPECT_EQ(import({(dir / "notes.txt").string()}), std::make_pair(0, std::string()));
    file_map expected = before;
    expected["Theirs.rcp"] = "not the run's";
    EXPECT_EQ(collection_files(collection), expected);
}

TEST_F(import_leftovers_test, the_run_list_is_on_disk_before_any_file_it_names_takes_its_name) {
    write_whole_file(dir / "dishes.json", dishes(300));
    const file_map before = collection_files(collection);
    {
        call_log log;
        ASSERT_EQ(import({(dir / "dishes.json").string()}), std::make_pair(0, std::string()));
        int listed_since_sync = 0, renames = 0, syncs = 0;
        for (const std::string& call : log.calls) {
            if (call == "list") ++listed_since_sync;
            if (call == "sync") listed_since_sync = 0, ++syncs;
            if (call.starts_with("rename Dish")) {
                EXPECT_EQ(listed_since_sync, 0) << "a file took its name before the list naming it was on disk";
                ++renames;
            }
        }
        EXPECT_EQ(renames, 300);
        EXPECT_EQ(syncs, 3);  // one flush for a group of files, not one a file
    }
    EXPECT_EQ(collection_files(collection).size(), before.size() + 301);  // the recipes and default.bak
    EXPECT_EQ(read_whole_file(collection / "default.ldr").substr(0, 5), "301\r\n");
}

TEST_F(import_leftovers_test, a_failing_run_removes_every_file_it_renamed_in_before_it_says_nothing_was_imported) {
    write_whole_file(dir / "dishes.json", dishes(300));
    const std::string file = (dir / "dishes.json").string();
    const file_map before = collection_files(collection);
    const std::string nothing = " Nothing was imported.\n";
    struct failing_call {
        std::string call;
        std::string message;
    };
    // After 128 files are in place, a rename; the first flush of the list;
    // the first write to it.
    const std::vector<failing_call> failures = {
        {"rename Dish 1301.rcp", "/Dish 1301.rcp could not be written: No space left on device."},
        {"sync", "/.import-recipes.run could not be written: No space left on device."},
        {"list", "/Dish 11.rcp could not be written: No space left on device."}};
    for (const failing_call& failure : failures) {
        call_log log(failure.call, ENOSPC);
        const auto [status, err] = import({file});
        EXPECT_EQ(status, 1) << failure.call;
        EXPECT_EQ(err, collection.string() + failure.message + nothing) << failure.call;
        EXPECT_EQ(collection_files(collection), before) << failure.call;
    }

    // A file size limit that the run list reaches first.
    {
        file_size_limit limit(4000);
        const auto [status, err] = import({file});
        EXPECT_EQ(status, 1);
        EXPECT_NE(err.find("could not be written: File too large." + nothing), std::string::npos) << err;
    }
    EXPECT_EQ(collection_files(collection), before);
}
