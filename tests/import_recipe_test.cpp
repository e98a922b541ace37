// The recipe importer, driven through the scripted platform, and start-up's
// handling of a relative path.
#include <sys/mount.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/startup.h"
#include "platform/platform_script.h"
#include "platform/screen_state.h"
#include "screens/screens.h"
#include "shell/files.h"
#include "shell/services.h"
#include "tests/screen_rows.h"
#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;

const std::string pie_bytes =
    "\"Apple pie\",\"Bea\",\"Gran\"\r\n\"Sweet and tart\",4\r\n1\r\n\"6 apples\"\r\n0\r\n";
const std::string old_index = "1\r\n\"Zucchini bake\",\"Cy\",\"\",\"900.rcp\"\r\n";
const std::string pie_entry = "\"Apple pie\",\"Bea\",\"Gran\",";

rows files_in(const fs::path& where) {
    rows names;
    for (const auto& item : fs::directory_iterator(where)) names.push_back(item.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// The files that imports of the pie made in the current directory.
rows pie_copies() {
    rows copies = files_in(".");
    std::erase_if(copies, [](const std::string& name) { return !name.starts_with("Apple pie1"); });
    return copies;
}

// For the life of the object, renaming onto or deleting a path that ends in
// `ending` fails as on a read-only medium.
class read_only_path {
public:
    explicit read_only_path(std::string ending) {
        saved = replacement_system();
        path_end = std::move(ending);
        replacement_system().rename = [](const char* from, const char* to, unsigned flags) {
            return hit(to) ? -1 : saved.rename(from, to, flags);
        };
        replacement_system().unlink = [](const char* path) { return hit(path) ? -1 : saved.unlink(path); };
    }
    ~read_only_path() { replacement_system() = saved; }

private:
    static bool hit(std::string_view path) {
        if (!path.ends_with(path_end)) return false;
        errno = EROFS;
        return true;
    }
    static inline replacement_calls saved{};
    static inline std::string path_end;
};

class importer : public larder_test {
protected:
    fs::path inbox;  // somewhere outside the program's directory

    void SetUp() override {
        larder_test::SetUp();
        open_window(250, 450, 32);
        write_whole_file("default.ldr", old_index);
        inbox = dir / "in box";
        fs::create_directory(inbox);
        write_whole_file(inbox / "Apple pie.rcp", pie_bytes);
    }
    std::string pie_path() const { return (inbox / "Apple pie.rcp").string(); }

    // Clicks far enough apart that each lands in the wait it is meant for.
    static void click(int x, int y) { script::click(x, y, 0, 300); }
    static void answer(bool yes) { click(yes ? 1 : 249, 431); }
    void remember_screen(rows& into) {
        script::call([&into] { into = printed_rows(); }, 150);
    }

    void run(const std::string& path) {
        import_recipe(path);
        EXPECT_EQ(script::pending_steps(), 0);
        EXPECT_EQ(screen().title, "Recipe Importer");
        EXPECT_EQ(script::pointer_x(), 1);
        EXPECT_EQ(script::pointer_y(), 1);
    }
    static void expect_menu_window() {
        EXPECT_EQ(screen().width, 250);
        EXPECT_EQ(screen().height, 450);
        EXPECT_EQ(screen().columns, 30);
        EXPECT_EQ(screen().rows, 27);
    }
    // A whole import: preview accepted, the delete question answered, done.
    // The second question comes when a free name is found: up to two
    // seconds later.
    void import(const std::string& path, bool delete_original, rows* shown = nullptr) {
        answer(true);
        script::click(delete_original ? 1 : 249, 431, 0, 2500);
        if (shown) remember_screen(*shown);
        click(1, 431);
        run(path);
        expect_menu_window();
    }
};

// ---- refusals ----------------------------------------------------------

class refusal : public importer {
protected:
    // A fresh start of the platform for the next case of a loop.
    void restart() {
        script::reset();
        script::set_executable_dir(dir.string());
        open_window(250, 450, 32);
    }
    // Runs the importer on a path it refuses; gives the rows printed.
    rows refused(const std::string& path) {
        click(200, 400);  // above the continue picture: nothing
        click(1, 401);
        run(path);
        EXPECT_EQ(screen().width, 250);
        EXPECT_EQ(screen().columns, 31);  // the window as start-up left it: no grid set
        return printed_rows();
    }
};

TEST_F(refusal, other_extensions_get_the_three_lines_and_the_continue_wait) {
    for (const char* path : {"a.rcp.txt", "a.rc", "rc", ""}) {
        restart();
        set_colour(0x00FF00, -1);
        EXPECT_EQ(refused(path), (rows{"Can only import", "recipe files with", "the 'RCP' extension"})) << path;
        EXPECT_EQ(screen().cells[0].foreground, 0x00FF00u);
    }
    EXPECT_EQ(read_whole_file("default.ldr"), old_index);
}

TEST_F(refusal, escape_ends_the_wait_and_other_keys_do_not) {
    script::type("y", 300);
    script::key_down(1, 300);  // Escape
    run("a.txt");
    EXPECT_EQ(printed_rows().size(), 3u);
    EXPECT_GT(script::now(), 1000.5);
}

TEST_F(refusal, files_that_cannot_be_read_safely_are_not_read) {
    ASSERT_EQ(::mkfifo((inbox / "pipe.rcp").c_str(), 0600), 0);
    fs::create_directory(inbox / "folder.rcp");
    fs::resize_file(fs::path(pie_path()), (2 << 20));
    write_whole_file(inbox / "say \"hi\".rcp", pie_bytes);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"pipe.rcp", "it is not a plain file."},
        {"folder.rcp", "it is not a plain file."},
        {"Apple pie.rcp", "it is larger than 1 MB."},
        {"say \"hi\".rcp", "its path holds a quote (\")."},
    };
    for (const auto& [name, reason] : cases) {
        restart();
        EXPECT_EQ(refused((inbox / name).string()), (rows{"Can't import this file:", reason})) << name;
    }
    EXPECT_EQ(read_whole_file("default.ldr"), old_index);
    EXPECT_EQ(files_in(dir), (rows{"default.ldr", "in box"}));
}

// ---- the preview and its question -------------------------------------

TEST_F(importer, the_preview_shows_the_first_lines_and_the_red_question) {
    rows shown;
    remember_screen(shown);
    script::call([] {
        const screen_state& s = screen();
        EXPECT_EQ(s.width, 640);
        EXPECT_EQ(s.columns, 80);
        EXPECT_EQ(s.rows, 30);
        EXPECT_EQ(s.pixels[static_cast<size_t>(s.width) * s.height - 1], 0xFFFFFFu);
        EXPECT_EQ(s.cells[0].foreground, 0x000000u);
        EXPECT_EQ(s.cells[0].background, 0xFFFFFFu);
        EXPECT_EQ(s.cells[80 * 13].foreground, 0xFF0000u);  // row 14
        EXPECT_EQ(s.cells[80 * 13].background, 0xFFFFFFu);
        EXPECT_EQ(s.foreground, 0x000000u);
    });
    answer(false);
    run(pie_path());
    EXPECT_EQ(shown, (rows{"Apple pie  by Bea", "From: Gran   Serves: 4", "Sweet and tart",
                           "-----------------------------", "", "Ingredients:", "", "6 apples", "", "Directions:",
                           "", "", "", "Does the above look correct?",
                           "This only shows the first 2 ingredients and lines,",
                           "but if they look wrong it's probaly not the correct format"}));
}

TEST_F(importer, only_clicks_on_the_yes_no_halves_answer_and_no_touches_nothing) {
    click(124, 430);  // above the picture
    click(250, 431);  // right of it
    click(0, 431);    // the window's edge
    script::type("y", 300);
    click(125, 431);  // No
    run(pie_path());
    expect_menu_window();
    EXPECT_EQ(read_whole_file("default.ldr"), old_index);
    EXPECT_EQ(files_in(dir), (rows{"default.ldr", "in box"}));
    EXPECT_EQ(read_whole_file(pie_path()), pie_bytes);
}

// ---- importing ----------------------------------------------------------

TEST_F(importer, no_to_delete_copies_into_the_index_in_name_order) {
    rows shown;
    click(124, 431);  // Yes to the preview
    answer(false);
    remember_screen(shown);
    click(1, 431);
    run(pie_path());
    EXPECT_EQ(read_whole_file("Apple pie1000.rcp"), pie_bytes);
    EXPECT_EQ(read_whole_file(pie_path()), pie_bytes);
    EXPECT_EQ(read_whole_file("default.ldr"), "2\r\n" + pie_entry + "\"Apple pie1000.rcp\"\r\n" + old_index.substr(3));
    EXPECT_EQ(read_whole_file("default.bak"), old_index);
    EXPECT_EQ(last_rows(shown, 6), (rows{"but if they look wrong it's probaly not the correct format",
                                         "Delete original file?", "", "Updating Database...",
                                         "This may take some time if you have a large database.", "Completed!"}));
}

TEST_F(importer, yes_to_delete_removes_the_original_and_a_taken_name_waits_for_the_next_second) {
    write_whole_file("Apple pie1000.rcp", "old");
    fs::create_symlink("nowhere", "Apple pie1001.rcp");  // taken although it can't be opened
    import(pie_path(), true);
    EXPECT_FALSE(fs::exists(pie_path()));
    EXPECT_EQ(read_whole_file("Apple pie1000.rcp"), "old");
    EXPECT_TRUE(fs::is_symlink("Apple pie1001.rcp"));
    EXPECT_EQ(read_whole_file("Apple pie1002.rcp"), pie_bytes);
    EXPECT_EQ(read_whole_file("default.ldr"), "2\r\n" + pie_entry + "\"Apple pie1002.rcp\"\r\n" + old_index.substr(3));
}

TEST_F(importer, a_file_already_in_the_program_directory_is_copied_even_after_yes) {
    write_whole_file("Apple pie.rcp", pie_bytes);
    import("Apple pie.rcp", true);
    // The same directory by another path: a bind mount where the tests may
    // mount, else a linked parent.
    const fs::path alias = inbox / "alias";
    fs::create_directory(alias);
    struct bind_mount {
        const char* at;
        bool made = ::mount(".", at, nullptr, MS_BIND, nullptr) == 0;
        ~bind_mount() {
            if (made) ::umount2(at, MNT_DETACH);
        }
    } mount{alias.c_str()};
    if (!mount.made) {
        fs::remove(alias);
        fs::create_directory_symlink(dir, alias);
    }
    import((alias / "Apple pie.rcp").string(), true);
    EXPECT_EQ(read_whole_file("Apple pie.rcp"), pie_bytes);
    EXPECT_EQ(pie_copies().size(), 2u);
}

TEST_F(importer, a_link_gives_a_regular_copy_and_a_delete_takes_only_the_link) {
    const fs::path link = inbox / "link.rcp";
    fs::create_symlink("Apple pie.rcp", link);  // relative: it resolves only where it lies
    import(link.string(), false);
    import(link.string(), true);
    const rows copies = pie_copies();
    ASSERT_EQ(copies.size(), 2u);
    for (const std::string& name : copies) {
        EXPECT_FALSE(fs::is_symlink(name)) << name;
        EXPECT_EQ(read_whole_file(name), pie_bytes) << name;
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    EXPECT_EQ(read_whole_file(pie_path()), pie_bytes);

    // A dangling link is a missing file: nothing is imported, nothing deleted.
    const std::string index_before = read_whole_file("default.ldr");
    fs::create_symlink("gone.rcp", link);
    rows shown;
    import(link.string(), true, &shown);
    EXPECT_EQ(shown.back(), "The recipe file could not be copied; nothing was imported.");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(read_whole_file("default.ldr"), index_before);
    EXPECT_EQ(pie_copies(), copies);
}

TEST_F(importer, an_index_that_cannot_be_rewritten_takes_the_copy_away_and_keeps_the_original) {
    const read_only_path index("default.ldr");
    rows shown;
    import(pie_path(), true, &shown);
    EXPECT_EQ(shown.back(), "Database could not be updated!");
    EXPECT_EQ(read_whole_file("default.ldr"), old_index);
    EXPECT_EQ(read_whole_file(pie_path()), pie_bytes);
    EXPECT_EQ(files_in(dir), (rows{"default.bak", "default.ldr", "in box"}));
}

TEST_F(importer, an_original_that_cannot_be_deleted_leaves_the_import_standing) {
    const read_only_path original("in box/Apple pie.rcp");
    rows shown;
    import(pie_path(), true, &shown);
    EXPECT_EQ(last_rows(shown, 2), (rows{"Completed!", "The original file could not be deleted."}));
    EXPECT_EQ(read_whole_file(pie_path()), pie_bytes);
    EXPECT_EQ(read_whole_file("Apple pie1000.rcp"), pie_bytes);
    EXPECT_EQ(read_whole_file("default.ldr"), "2\r\n" + pie_entry + "\"Apple pie1000.rcp\"\r\n" + old_index.substr(3));
}

TEST_F(importer, an_unsafe_recipe_name_gives_a_safe_file_name_and_keeps_the_entry_name) {
    // Unquoted, the name runs to the first blank or comma.
    const std::string name = std::string(".a/b\\c:d*e?f\"g<h>i|j\x01k\x1fl\x7fm") + std::string(300, 'x');
    write_whole_file(pie_path(), name + ",\"Bea\",\"Gran\"\r\n\"\",0\r\n0\r\n0\r\n");
    import(pie_path(), false);
    const std::string part = ("_a_b_c_d_e_f_g_h_i_j_k_l_m" + std::string(300, 'x')).substr(0, 200);
    EXPECT_EQ(files_in(dir), (rows{part + "1000.rcp", "default.bak", "default.ldr", "in box"}));
    std::string written_name = name;
    written_name.replace(written_name.find('"'), 1, "''");  // how the field writer stores a quote
    EXPECT_EQ(read_whole_file("default.ldr"),
              "2\r\n\"" + written_name + "\",\"Bea\",\"Gran\",\"" + part + "1000.rcp\"\r\n" +
                  old_index.substr(3));
}

TEST_F(importer, a_name_that_begins_with_a_dash_gives_a_file_name_that_begins_with_an_underscore) {
    write_whole_file(pie_path(), "\"-rf\",\"\",\"\"\r\n\"\",0\r\n0\r\n0\r\n");
    import(pie_path(), false);
    EXPECT_TRUE(fs::exists("_rf1000.rcp"));
}

TEST_F(importer, a_failed_copy_or_index_update_is_reported) {
    rows missing, unwritable;
    answer(true);  // a missing file with the extension in any case: an empty preview
    answer(false);
    remember_screen(missing);
    click(1, 431);
    run((inbox / "gonercP").string());
    EXPECT_EQ(last_rows(missing, 3), (rows{"Delete original file?", "",
                                           "The recipe file could not be copied; nothing was imported."}));
    EXPECT_EQ(files_in(dir), (rows{"default.ldr", "in box"}));

    fs::remove("default.ldr");
    fs::create_directory("default.ldr");  // can be neither read nor replaced
    answer(true);
    answer(false);
    remember_screen(unwritable);
    click(1, 431);
    run(pie_path());
    EXPECT_EQ(unwritable.back(), "Database could not be updated!");
    EXPECT_EQ(files_in(dir), (rows{"default.ldr", "in box"}));  // no copy that no entry names
}

TEST(start_up, a_relative_import_path_is_taken_from_the_starting_directory) {
    EXPECT_EQ(absolute_import_path("in box/Apple pie.rcp", "/home/u"), "/home/u/in box/Apple pie.rcp");
    EXPECT_EQ(absolute_import_path("pie.rcp", "/"), "/pie.rcp");
    EXPECT_EQ(absolute_import_path("/tmp/pie.rcp", "/home/u"), "/tmp/pie.rcp");
    EXPECT_EQ(absolute_import_path("", "/home/u"), "");
}

}  // namespace
