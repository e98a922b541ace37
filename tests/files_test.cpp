#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include <algorithm>
#include <filesystem>

#include "platform/platform_script.h"
#include "platform/screen_state.h"
#include "shell/files.h"
#include "shell/services.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

using files_test = larder_test;

// Names in the test directory, so that left-over temporary files show.
std::vector<std::string> names_in(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

using names = std::vector<std::string>;

}  // namespace

TEST_F(files_test, the_writer_puts_exactly_these_bytes) {
    open_file("out.txt", file_mode::output, 1);
    ASSERT_EQ(last_error(), 0);
    write_field(1, "name, with comma", false);
    write_field(1, "", false);
    write_field(1, "8\" pan", true);
    write_number_field(1, -5, false);
    write_number_field(1, 0, true);
    print_to_file(1, "plain \"text\"", false);
    print_number_to_file(1, 5, true);
    print_number_to_file(1, -5, true);
    print_to_file(1, "", true);
    close_file(1);
    EXPECT_EQ(last_error(), 0);
    EXPECT_EQ(read_whole_file("out.txt"),
              "\"name, with comma\",\"\",\"8'' pan\"\r\n-5,0\r\nplain \"text\" 5\r\n-5\r\n\r\n");
}

TEST_F(files_test, fields_read_back_in_order_and_then_as_empty) {
    write_whole_file("in.txt", "\"Soup, hot\",Ann Lee\n12,3.5\r\n");
    open_file("in.txt", file_mode::input, 7);
    ASSERT_EQ(last_error(), 0);
    EXPECT_FALSE(file_at_end(7));
    EXPECT_EQ(read_field(7, false), "Soup, hot");
    EXPECT_EQ(read_field(7, true), "Ann Lee");
    EXPECT_EQ(read_number_field(7), 12);
    EXPECT_EQ(read_number_field(7), 4);
    EXPECT_TRUE(file_at_end(7));
    EXPECT_EQ(read_field(7, true), "");
    EXPECT_EQ(read_number_field(7), 0);
    EXPECT_EQ(last_error(), 0);
    close_file(7);
    EXPECT_TRUE(file_at_end(7));
}

TEST_F(files_test, failures_are_reported_and_leave_the_number_closed) {
    open_file("missing.txt", file_mode::input, 1);
    EXPECT_NE(last_error(), 0);
    EXPECT_EQ(read_field(1, false), "");
    EXPECT_NE(last_error(), 0);
    open_file("no_such_dir/out.txt", file_mode::output, 1);
    EXPECT_NE(last_error(), 0);
    write_field(1, "x", true);
    EXPECT_NE(last_error(), 0);
    fs::create_directory("a_dir");
    open_file("a_dir", file_mode::output, 1);
    EXPECT_NE(last_error(), 0);
    open_file("a_dir", file_mode::input, 1);
    EXPECT_NE(last_error(), 0);
    for (int bad : {0, -1, 255}) {
        open_file("x.txt", file_mode::output, bad);
        EXPECT_NE(last_error(), 0) << bad;
    }
    // Reading an output file and writing an input file fail too.
    write_whole_file("in.txt", "1\r\n");
    open_file("in.txt", file_mode::input, 1);
    open_file("out.txt", file_mode::output, 2);
    write_field(1, "x", true);
    EXPECT_NE(last_error(), 0);
    read_field(2, false);
    EXPECT_NE(last_error(), 0);
    close_file(0);
    EXPECT_EQ(last_error(), 0);
    EXPECT_EQ(read_whole_file("in.txt"), "1\r\n");
    EXPECT_EQ(names_in(dir), (names{"a_dir", "in.txt", "out.txt"}));
}

TEST_F(files_test, an_output_file_replaces_the_old_one_only_when_closed) {
    write_whole_file("data.ldr", "old");
    ::chmod("data.ldr", 0640);
    open_file("data.ldr", file_mode::output, 1);
    print_to_file(1, "new", true);
    // More than the output buffer holds: pieces go out before the close.
    const std::string lots(300000, 'z');
    print_to_file(1, lots, false);
    EXPECT_EQ(read_whole_file("data.ldr"), "old");
    close_file(1);
    EXPECT_EQ(last_error(), 0);
    EXPECT_EQ(read_whole_file("data.ldr"), "new\r\n" + lots);
    EXPECT_EQ(fs::status("data.ldr").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(names_in(dir), (names{"data.ldr"}));
}

TEST_F(files_test, append_keeps_the_old_bytes_and_creates_a_missing_file) {
    write_whole_file("log.txt", "one\r\n");
    open_file("log.txt", file_mode::append, 3);
    print_to_file(3, "two", true);
    open_file("new.txt", file_mode::append, 4);
    print_to_file(4, "first", false);
    close_file(0);
    EXPECT_EQ(last_error(), 0);
    EXPECT_EQ(read_whole_file("log.txt"), "one\r\ntwo\r\n");
    EXPECT_EQ(read_whole_file("new.txt"), "first");
}

TEST_F(files_test, reopening_an_open_number_puts_its_output_in_place_first) {
    open_file("first.txt", file_mode::output, 1);
    print_to_file(1, "kept", false);
    open_file("second.txt", file_mode::output, 1);
    EXPECT_EQ(last_error(), 0);
    print_to_file(1, "also", false);
    close_file(1);
    EXPECT_EQ(read_whole_file("first.txt"), "kept");
    EXPECT_EQ(read_whole_file("second.txt"), "also");
}

TEST_F(files_test, a_write_past_the_size_limit_keeps_the_old_file_and_is_reported) {
    char program[] = "files_test";
    char* argv[] = {program, nullptr};
    init_services(1, argv);  // ignores SIGXFSZ, which would end the test
    write_whole_file("default.ldr", "0\r\n");
    rlimit old_limit{};
    ::getrlimit(RLIMIT_FSIZE, &old_limit);
    rlimit small = old_limit;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    open_file("default.ldr", file_mode::output, 1);
    int open_error = last_error();
    print_to_file(1, std::string(5000, 'x'), true);
    close_file(1);
    int close_error = last_error();
    // Failing in the middle of a large file is reported at the close too.
    open_file("default.ldr", file_mode::output, 1);
    for (int i = 0; i < 100; ++i) write_field(1, std::string(1000, 'y'), true);
    close_file(1);
    int large_close_error = last_error();
    ::setrlimit(RLIMIT_FSIZE, &old_limit);
    EXPECT_EQ(open_error, 0);
    EXPECT_NE(close_error, 0);
    EXPECT_NE(large_close_error, 0);
    EXPECT_EQ(read_whole_file("default.ldr"), "0\r\n");
    EXPECT_EQ(names_in(dir), (names{"default.ldr"}));
}

TEST_F(files_test, deleting_a_missing_file_is_not_reported) {
    write_whole_file("gone.rcp", "x");
    delete_file("gone.rcp");
    EXPECT_EQ(last_error(), 0);
    EXPECT_FALSE(fs::exists("gone.rcp"));
    delete_file("gone.rcp");
    EXPECT_EQ(last_error(), 0);
}

TEST_F(files_test, file_number_zero_prints_on_the_screen) {
    open_window(250, 450, 32);
    set_text_grid(30, 27);
    print_to_file(0, "Hello", false);
    print_number_to_file(0, 7, true);
    EXPECT_EQ(last_error(), 0);
    EXPECT_EQ(row_text(1).substr(0, 8), "Hello 7 ");
    close_window();
}

TEST_F(files_test, directories_of_the_program_and_the_current_one) {
    script::set_executable_dir("");
    std::string exe_dir = executable_dir();
    EXPECT_NE(exe_dir.back(), '/');
    EXPECT_TRUE(fs::exists(fs::path(exe_dir) / "unit_tests"));
    fs::create_directory("sub");
    change_dir("sub");
    EXPECT_EQ(last_error(), 0);
    EXPECT_EQ(fs::current_path(), dir / "sub");
    change_dir("no_such_dir");
    EXPECT_NE(last_error(), 0);
    EXPECT_EQ(fs::current_path(), dir / "sub");
}

namespace {

// Swaps the replacement's system calls for ones that record their order and
// make the chosen occurrence of one of them fail, with EIO unless told.
class recorded_calls {
public:
    recorded_calls(const std::string& failing = "", int occurrence = 1, int error = EIO) {
        seen.clear();
        fail_name = failing;
        fail_left = occurrence;
        fail_error = error;
        replacement_system() = {
            [](int fd, const void* bytes, size_t size) -> ssize_t {
                return fails("write") ? -1 : ::write(fd, bytes, size);
            },
            [](int fd) {
                struct stat info {};
                ::fstat(fd, &info);
                return fails(S_ISDIR(info.st_mode) ? "fsync dir" : "fsync") ? -1 : ::fsync(fd);
            },
            [](int fd) {
                const int result = ::close(fd);
                return fails("close") ? -1 : result;
            },
            [](const char* from, const char* to, unsigned flags) {
                return fails(flags == RENAME_EXCHANGE ? "swap" : "rename")
                           ? -1
                           : ::renameat2(AT_FDCWD, from, AT_FDCWD, to, flags);
            },
            ::unlink,
        };
    }
    ~recorded_calls() { replacement_system() = saved; }

    static inline names seen;

private:
    static bool fails(const std::string& name) {
        seen.push_back(name);
        if (name != fail_name || --fail_left != 0) return false;
        seen.back() += " failed";
        errno = fail_error;
        return true;
    }
    static inline std::string fail_name;
    static inline int fail_left = 0;
    static inline int fail_error = 0;
    replacement_calls saved = replacement_system();
};

void write_file_on_1(const std::string& name, const std::string& text) {
    open_file(name, file_mode::output, 1);
    print_to_file(1, text, false);
    close_file(1);
}

}  // namespace

TEST_F(files_test, a_replacement_is_written_flushed_closed_swapped_in_and_its_directory_flushed) {
    write_whole_file("data.ldr", "old");
    {
        recorded_calls calls;
        write_file_on_1("data.ldr", "new");
        EXPECT_EQ(last_error(), 0);
        EXPECT_EQ(calls.seen, (names{"write", "fsync", "close", "swap", "fsync dir"}));
        // A new file has nothing to swap with: it is renamed into place.
        calls.seen.clear();
        write_file_on_1("fresh.ldr", "first");
        EXPECT_EQ(calls.seen, (names{"write", "fsync", "close", "swap", "rename", "fsync dir"}));
    }
    {
        // A file system that can't swap two names gets a plain rename.
        recorded_calls calls("swap", 1, EINVAL);
        write_file_on_1("fresh.ldr", "second");
        EXPECT_EQ(last_error(), 0);
        EXPECT_EQ(calls.seen, (names{"write", "fsync", "close", "swap failed", "rename", "fsync dir"}));
    }
    EXPECT_EQ(read_whole_file("data.ldr"), "new");
    EXPECT_EQ(read_whole_file("fresh.ldr"), "second");
    EXPECT_EQ(names_in(dir), (names{"data.ldr", "fresh.ldr"}));
}

TEST_F(files_test, each_failure_on_the_write_path_keeps_the_old_file_and_is_reported) {
    for (const std::string failing : {"write", "fsync", "close", "swap", "rename", "fsync dir"}) {
        for (bool existed : {true, false}) {
            if (failing == "rename" && existed) continue;  // an old file is swapped, never renamed over
            fs::remove("data.ldr");
            if (existed) write_whole_file("data.ldr", "old");
            recorded_calls calls(failing);
            write_file_on_1("data.ldr", "new");
            EXPECT_EQ(last_error(), EIO) << failing;
            EXPECT_EQ(std::count(calls.seen.begin(), calls.seen.end(), failing + " failed"), 1) << failing;
            EXPECT_EQ(names_in(dir), existed ? names{"data.ldr"} : names{}) << failing << existed;
            if (existed) {
                EXPECT_EQ(read_whole_file("data.ldr"), "old") << failing;
            }
        }
    }
}

TEST_F(files_test, closing_every_file_reports_an_earlier_failure_too) {
    write_whole_file("a.txt", "old a");
    recorded_calls calls("fsync", 1);  // the first file's
    open_file("a.txt", file_mode::output, 1);
    print_to_file(1, "new a", false);
    open_file("b.txt", file_mode::output, 2);
    print_to_file(2, "new b", false);
    close_file(0);
    EXPECT_EQ(last_error(), EIO);
    EXPECT_EQ(read_whole_file("a.txt"), "old a");
    EXPECT_EQ(read_whole_file("b.txt"), "new b");
}

TEST_F(files_test, only_regular_files_are_read_and_only_up_to_their_size_at_the_open) {
    open_file("missing.rcp", file_mode::input, 1);
    const int missing = last_error();
    ASSERT_NE(missing, 0);
    ASSERT_EQ(::mkfifo("fifo.rcp", 0600), 0);
    fs::create_symlink("/dev/zero", "zero.rcp");
    for (const char* strange : {"fifo.rcp", "zero.rcp"}) {
        open_file(strange, file_mode::input, 1);
        EXPECT_EQ(last_error(), missing) << strange;
        EXPECT_EQ(read_field(1, true), "") << strange;
        // Nor does the copy command wait on them.
        EXPECT_EQ(run_command(std::string("copy ") + strange + " copy.rcp"), 1) << strange;
    }
    // The kernel gives this file's size as 0 however much it holds.
    open_file("/proc/self/status", file_mode::input, 1);
    EXPECT_EQ(last_error(), 0);
    EXPECT_TRUE(file_at_end(1));
    EXPECT_EQ(names_in(dir), (names{"fifo.rcp", "zero.rcp"}));
}

TEST_F(files_test, a_write_removes_what_dead_writers_of_the_same_file_left) {
    const pid_t dead = ::fork();
    if (dead == 0) ::_exit(0);
    ::waitpid(dead, nullptr, 0);
    const std::string gone = std::to_string(dead), alive = std::to_string(::getppid());
    const names left = {".data.ldr." + gone + "-1", ".data.ldr." + gone + "-27", ".data.ldr." + alive + "-3",
                        ".favs.ldr." + gone + "-1", ".data.ldr." + gone + "-x", ".data.ldr.5." + gone + "-1"};
    for (const auto& name : left) write_whole_file(name, "half an index");
    write_file_on_1("data.ldr", "new");
    EXPECT_EQ(last_error(), 0);
    names kept = {".data.ldr." + alive + "-3", ".data.ldr." + gone + "-x", ".data.ldr.5." + gone + "-1",
                  ".favs.ldr." + gone + "-1", "data.ldr"};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(names_in(dir), kept);
}
