#include <sys/stat.h>

#include <filesystem>

#include "shell/services.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

using command_test = larder_test;

size_t entries_in(const fs::path& dir) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

}  // namespace

TEST_F(command_test, copy_replaces_the_destination_with_a_byte_copy) {
    const char bytes[] = "1\r\n\"a\",\"\",\"\",\"1.rcp\"\r\n\0\xff";
    write_whole_file("default.ldr", std::string(bytes, sizeof bytes - 1));
    write_whole_file("default.bak", "older and longer content");
    EXPECT_EQ(run_command("copy default.ldr default.bak"), 0);
    EXPECT_EQ(read_whole_file("default.bak"), read_whole_file("default.ldr"));
    EXPECT_EQ(run_command("COPY default.ldr other.bak"), 0);
    EXPECT_EQ(run_command("Copy  \"default.ldr\"   third.bak  "), 0);
    EXPECT_EQ(read_whole_file("third.bak"), read_whole_file("default.ldr"));
}

TEST_F(command_test, quotes_group_blanks_and_join_the_text_after_them) {
    fs::create_directory("my saves");
    write_whole_file("a recipe.rcp", "content");
    EXPECT_EQ(run_command("copy \"a recipe.rcp\" \"my saves/\"copy.rcp"), 0);
    EXPECT_EQ(read_whole_file("my saves/copy.rcp"), "content");
    EXPECT_EQ(run_command("move \"my saves/copy.rcp\" \"my saves/moved one.rcp\""), 0);
    EXPECT_EQ(read_whole_file("my saves/moved one.rcp"), "content");
    EXPECT_FALSE(fs::exists("my saves/copy.rcp"));
}

TEST_F(command_test, a_failed_copy_keeps_the_old_destination) {
    write_whole_file("favs.bak", "old");
    EXPECT_EQ(run_command("copy favs.ldr favs.bak"), 1);  // no source
    EXPECT_EQ(read_whole_file("favs.bak"), "old");
    write_whole_file("favs.ldr", "new");
    fs::create_directory("default.bak");
    EXPECT_EQ(run_command("copy favs.ldr default.bak"), 1);  // a directory is no file
    EXPECT_TRUE(fs::is_empty("default.bak"));
    EXPECT_EQ(run_command("copy default.bak favs.bak"), 1);  // nor is it a source
    EXPECT_EQ(run_command("copy favs.ldr"), 1);
    EXPECT_EQ(run_command("copy favs.ldr no_dir/favs.bak"), 1);
    EXPECT_EQ(read_whole_file("favs.bak"), "old");
    EXPECT_EQ(entries_in(dir), 3u);  // no temporary file left behind
}

TEST_F(command_test, move_renames_replaces_and_fills_directories) {
    write_whole_file("1.rcp", "one");
    write_whole_file("2.rcp", "two");
    EXPECT_EQ(run_command("move 1.rcp 2.rcp"), 0);
    EXPECT_EQ(read_whole_file("2.rcp"), "one");
    EXPECT_FALSE(fs::exists("1.rcp"));
    fs::create_directory("out");
    EXPECT_EQ(run_command("MOVE 2.rcp out"), 0);
    EXPECT_EQ(read_whole_file("out/2.rcp"), "one");
    EXPECT_EQ(run_command("move 2.rcp out"), 1);  // gone already
    EXPECT_EQ(run_command("move out/2.rcp no_dir/2.rcp"), 1);
    EXPECT_TRUE(fs::exists("out/2.rcp"));
}

TEST_F(command_test, move_across_file_systems_copies_and_deletes) {
    struct stat here {}, shm {};
    if (::stat(".", &here) != 0 || ::stat("/dev/shm", &shm) != 0 || here.st_dev == shm.st_dev)
        GTEST_SKIP() << "no second file system at /dev/shm";
    fs::path target = fs::path("/dev/shm") / ("ldr_move_" + dir.filename().string());
    write_whole_file("ldr_backup.zip", "archive");
    EXPECT_EQ(run_command("move ldr_backup.zip " + target.string()), 0);
    EXPECT_FALSE(fs::exists("ldr_backup.zip"));
    EXPECT_EQ(read_whole_file(target), "archive");
    fs::remove(target);
}

TEST_F(command_test, other_lines_go_to_the_shell_and_give_its_status) {
    EXPECT_EQ(run_command(""), -1);
    EXPECT_EQ(run_command("   "), -1);
    EXPECT_EQ(run_command("exit 3"), 3);
    EXPECT_EQ(run_command("printf 'hi' > out.txt"), 0);
    EXPECT_EQ(read_whole_file("out.txt"), "hi");  // in the current directory
}

TEST_F(command_test, commands_get_the_default_file_size_signal) {
    char program[] = "command_test";
    char* argv[] = {program, nullptr};
    init_services(1, argv);  // the program itself ignores SIGXFSZ
    EXPECT_EQ(run_command("kill -XFSZ $$"), 128 + SIGXFSZ);
}

TEST_F(command_test, arguments_are_joined_by_single_blanks) {
    char program[] = "prog", home[] = "/home/u/my", rest[] = "recipe.rcp", whole[] = "/home/u/my recipe.rcp";
    char* split[] = {program, home, rest, nullptr};
    init_services(3, split);
    EXPECT_EQ(command_args(), "/home/u/my recipe.rcp");
    char* quoted[] = {program, whole, nullptr};
    init_services(2, quoted);
    EXPECT_EQ(command_args(), "/home/u/my recipe.rcp");
    init_services(1, quoted);
    EXPECT_EQ(command_args(), "");
}
