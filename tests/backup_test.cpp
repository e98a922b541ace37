#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "backup/backup.h"
#include "platform/platform_script.h"
#include "shell/collection_lock.h"
#include "shell/services.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

// The tool's directory holds these data files, plus a note, a hidden
// temporary file of the program and its lock file that stay out of every
// archive.
const std::map<std::string, std::string> data_files = {
    {"100.rcp", "\"Pie\",\"Ann\",\"\"\r\n"},
    {"my pie.rcp", "\"Tart\",\"Bo\",\"\"\r\n\xe9\r\n"},
    {"default.ldr", "2\r\n\"Pie\",\"Ann\",\"\",\"100.rcp\"\r\n"},
    {"favs.ldr", "0\r\n"},
    {"default.bak", "1\r\n"},
    {"100.rcp.bak", "\"Old pie\"\r\n"},
};

struct outcome {
    int status;
    std::string errors;  // what the tool wrote to standard error
};

// Everything a command prints on standard output.
std::string output_of(const std::string& command) {
    std::string text;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char chunk[4096];
        while (size_t got = std::fread(chunk, 1, sizeof chunk, pipe)) text.append(chunk, got);
        ::pclose(pipe);
    }
    return text;
}

std::string in_quotes(const fs::path& path) { return std::string("'").append(path.string()).append("'"); }

// A search path for one test; the old one comes back afterwards.
struct search_path {
    std::string saved = std::getenv("PATH") ? std::getenv("PATH") : "";
    explicit search_path(const std::string& path) { ::setenv("PATH", path.c_str(), 1); }
    ~search_path() { ::setenv("PATH", saved.c_str(), 1); }
};

class backup_test : public larder_test {
protected:
    void SetUp() override {
        larder_test::SetUp();
        tool = dir / "tool";
        out = dir / "out";
        fs::create_directories(tool);
        fs::create_directories(out);
        for (const auto& [name, bytes] : data_files) write_whole_file(tool / name, bytes);
        write_whole_file(tool / "notes.txt", "not a recipe");
        write_whole_file(tool / ".default.ldr.1-1", "half written");
        write_whole_file(tool / collection_lock_name, "larderon 1\n");
    }

    outcome run(const std::string& destination, const std::string& console = "") {
        std::istringstream typed(console);
        std::ostringstream errors;
        std::streambuf* old = std::cerr.rdbuf(errors.rdbuf());
        int status = back_up(tool.string(), destination, typed);
        std::cerr.rdbuf(old);
        return {status, errors.str()};
    }

    // A zip beside the tool that writes down its arguments, leaves an
    // archive and ends with that status.
    void put_fake_zip(int status) {
        write_whole_file(tool / "zip", "#!/bin/sh\nprintf '%s|' \"$@\" >>" + in_quotes(dir / "zip_calls") +
                                           "\ntouch ldr_backup.zip\nexit " + std::to_string(status) + "\n");
        fs::permissions(tool / "zip", fs::perms::owner_all);
    }

    std::string zip_calls() { return read_whole_file(dir / "zip_calls"); }

    // Names and bytes of every file in the tool's directory.
    std::map<std::string, std::string> tool_files() {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(tool))
            files[entry.path().filename().string()] = read_whole_file(entry.path());
        return files;
    }

    // The archive holds each data file, byte for byte, and nothing else.
    void expect_every_data_file_in(const fs::path& archive) {
        std::string names;
        for (const auto& [name, bytes] : data_files) {
            names += name + "\n";
            EXPECT_EQ(output_of("unzip -p " + in_quotes(archive) + " " + in_quotes(name)), bytes) << name;
        }
        EXPECT_EQ(output_of("unzip -Z1 " + in_quotes(archive) + " | LC_ALL=C sort"), names) << archive;
    }

    void expect_reported(const outcome& result, const std::string& message) {
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.errors, message + "\n");
        ASSERT_FALSE(script::dialogs().empty());
        const dialog_record& box = script::dialogs().back();
        EXPECT_EQ(box.kind + " " + box.title + ": " + box.text, "message LDR Info: " + message);
    }

    fs::path tool, out;
};

}  // namespace

TEST_F(backup_test, a_chosen_name_gets_a_zip_ending_and_the_archive_holds_every_data_file) {
    script::answer_save_dialog((out / "week").string());
    outcome result = run("");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.errors, "");
    expect_every_data_file_in(out / "week.zip");
    ASSERT_EQ(script::dialogs().size(), 1u);
    const dialog_record& dialog = script::dialogs()[0];
    EXPECT_EQ(dialog.kind + " " + dialog.title, "save Where to save your backup?");
    ASSERT_EQ(dialog.filters.size(), 1u);
    EXPECT_EQ(dialog.filters[0].label + " " + dialog.filters[0].pattern, "Compressed Backup (*.zip) *.zip");
    EXPECT_FALSE(fs::exists(tool / "ldr_backup.zip"));

    script::answer_save_dialog((out / "week.ZIP").string());
    script::answer_save_dialog((out / "backupzip").string());
    EXPECT_EQ(run("").status, 0);
    EXPECT_EQ(run("").status, 0);
    expect_every_data_file_in(out / "week.ZIP");
    expect_every_data_file_in(out / "backupzip");
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 3);
}

TEST_F(backup_test, a_directory_with_a_blank_receives_ldr_backup_zip_however_it_was_given) {
    fs::path saves = out / "my saves";
    fs::create_directory(saves);
    const std::string one = saves.string(), with_slash = one + "/", first = (out / "my").string();
    std::vector<std::vector<const char*>> command_lines = {
        {"backup", one.c_str()}, {"backup", first.c_str(), "saves/"}, {"backup", with_slash.c_str()}};
    for (auto& line : command_lines) {
        init_services(static_cast<int>(line.size()), const_cast<char**>(line.data()));
        EXPECT_EQ(run(command_args()).status, 0);
        expect_every_data_file_in(saves / "ldr_backup.zip");
        fs::remove(saves / "ldr_backup.zip");
    }
    init_services(0, nullptr);
    EXPECT_TRUE(script::dialogs().empty());
}

TEST_F(backup_test, cancelling_runs_nothing_and_changes_nothing) {
    put_fake_zip(0);
    write_whole_file(tool / "ldr_backup.zip", "left by a failed move");
    const auto before = tool_files();
    script::cancel_save_dialog();
    EXPECT_EQ(run("").status, 0);
    script::no_display();
    testing::internal::CaptureStdout();
    EXPECT_EQ(run("", "\nlater line\n").status, 0);  // an empty line
    EXPECT_EQ(run("", "").status, 0);                // the end of input
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Where to save your backup?\nWhere to save your backup?\n");
    EXPECT_EQ(tool_files(), before);
    EXPECT_FALSE(fs::exists(dir / "zip_calls"));
    EXPECT_TRUE(fs::is_empty(out));
}

TEST_F(backup_test, the_packing_line_runs_in_the_tools_directory_with_a_zip_beside_it_first) {
    put_fake_zip(0);
    fs::create_directory(dir / "start");
    fs::current_path(dir / "start");
    EXPECT_EQ(run(out.string()).status, 0);
    // The wildcards expand in the tool's directory, each in name order.
    EXPECT_EQ(zip_calls(), "-q|ldr_backup.zip|100.rcp|my pie.rcp|default.ldr|favs.ldr|100.rcp.bak|default.bak|");
    EXPECT_EQ(fs::current_path(), tool);
    EXPECT_TRUE(fs::exists(out / "ldr_backup.zip"));
}

TEST_F(backup_test, a_stale_archive_is_removed_before_packing) {
    write_whole_file(tool / "gone.rcp", "deleted since");
    ASSERT_EQ(std::system(("cd " + in_quotes(tool) + " && zip -q ldr_backup.zip gone.rcp").c_str()), 0);
    fs::remove(tool / "gone.rcp");
    EXPECT_EQ(run(out.string()).status, 0);
    expect_every_data_file_in(out / "ldr_backup.zip");

    // One that cannot be removed stops the backup before anything is packed.
    put_fake_zip(0);
    fs::create_directories(tool / "ldr_backup.zip" / "inside");
    expect_reported(run(out.string()),
                    "Backup failed: the old " + (tool / "ldr_backup.zip").string() + " could not be removed.");
    EXPECT_FALSE(fs::exists(dir / "zip_calls"));
}

TEST_F(backup_test, failures_are_reported_with_status_1_and_leave_no_backup_at_the_destination) {
    {
        search_path no_zip((dir / "empty").string());
        expect_reported(run(out.string()), "Backup failed: the zip program was not found. Install the zip package.");
    }
    EXPECT_TRUE(fs::is_empty(out));

    put_fake_zip(3);
    expect_reported(run(out.string()), "Backup failed: zip ended with status 3.");
    EXPECT_FALSE(zip_calls().empty());
    EXPECT_FALSE(fs::exists(tool / "ldr_backup.zip"));  // its incomplete archive is gone
    EXPECT_TRUE(fs::is_empty(out));
    fs::remove(tool / "zip");

    // The archive waits beside the tool when the move fails.
    script::answer_save_dialog((out / "missing" / "week").string());
    expect_reported(run(""), "Backup failed: the archive could not be moved to " +
                                 (out / "missing" / "week.zip").string() + ". It is in " +
                                 (tool / "ldr_backup.zip").string() + ".");
    expect_every_data_file_in(tool / "ldr_backup.zip");
    EXPECT_TRUE(fs::is_empty(out));

    // Without a display the message goes to standard error only.
    script::reset();
    script::no_display();
    outcome result = run((out / "missing").string());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.errors, "Backup failed: the archive could not be moved to " +
                                 (out / "missing" / "ldr_backup.zip").string() + ". It is in " +
                                 (tool / "ldr_backup.zip").string() + ".\n");
    EXPECT_TRUE(script::dialogs().empty());
}

TEST_F(backup_test, a_relative_destination_counts_from_where_the_tool_was_started) {
    fs::create_directories(dir / "start" / "saves");
    fs::current_path(dir / "start");
    EXPECT_EQ(run("saves").status, 0);
    expect_every_data_file_in(dir / "start" / "saves" / "ldr_backup.zip");

    fs::current_path(dir / "start");
    script::no_display();
    testing::internal::CaptureStdout();
    EXPECT_EQ(run("", "saves/week\n").status, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Where to save your backup?\n");
    expect_every_data_file_in(dir / "start" / "saves" / "week.zip");
    EXPECT_FALSE(fs::exists(tool / "saves"));
}

TEST_F(backup_test, a_typed_path_beginning_with_a_tilde_counts_from_the_home_directory) {
    const fs::path home = dir / "home";
    fs::create_directories(home / "saves");
    const std::string saved_home = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("HOME", home.c_str(), 1);
    script::no_display();
    auto typed = [&](const std::string& line) {
        fs::current_path(dir);
        testing::internal::CaptureStdout();
        const int status = run("", line + "\n").status;
        testing::internal::GetCapturedStdout();
        return status;
    };
    const int statuses = typed("~/saves/week") + typed("~") + typed("~week");  // "~week" names no home
    ::setenv("HOME", saved_home.c_str(), 1);
    EXPECT_EQ(statuses, 0);
    expect_every_data_file_in(home / "saves" / "week.zip");
    expect_every_data_file_in(home / "ldr_backup.zip");
    expect_every_data_file_in(dir / "~week.zip");
}

TEST_F(backup_test, a_destination_with_a_double_quote_is_refused_before_packing) {
    put_fake_zip(0);
    expect_reported(run((out / "a\"b").string()), "Backup failed: the destination holds a double quote.");
    script::answer_save_dialog((out / "say \"hi\".zip").string());
    expect_reported(run(""), "Backup failed: the destination holds a double quote.");
    EXPECT_FALSE(fs::exists(dir / "zip_calls"));
    EXPECT_TRUE(fs::is_empty(out));

    // And a tool directory that is not there packs nothing either.
    tool = dir / "no_tool";
    expect_reported(run(out.string()), "Backup failed: the directory " + tool.string() + " could not be opened.");
    EXPECT_FALSE(fs::exists(dir / "zip_calls"));
}
