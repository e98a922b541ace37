#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "shell/files.h"
#include "shell/platform_script.h"
#include "shell/screen_state.h"
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
