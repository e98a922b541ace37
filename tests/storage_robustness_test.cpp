#include <signal.h>
#include <sys/stat.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "shell/services.h"
#include "storage/recipe.h"
#include "storage/recipe_index.h"
#include "tests/file_size_limit.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

using storage_robustness_test = larder_test;

// An index of `count` entries whose file names carry `tag`, so that a load
// shows which version it found and whether it is whole.
std::vector<index_entry> index_version(int count, char tag) {
    std::vector<index_entry> entries(static_cast<size_t>(count) + 1);
    for (int i = 1; i <= count; ++i)
        entries[static_cast<size_t>(i)] = {"Recipe " + std::to_string(i), "Author, " + std::to_string(i % 7),
                                           "Book", tag + std::to_string(i) + ".rcp"};
    return entries;
}

void expect_whole_version(int count, const std::vector<index_entry>& version) {
    ASSERT_EQ(static_cast<size_t>(count) + 1, version.size());
    for (int i = 1; i <= count; ++i) {
        const index_entry& got = recipe_index()[static_cast<size_t>(i)];
        const index_entry& want = version[static_cast<size_t>(i)];
        ASSERT_EQ(got.name, want.name) << i;
        ASSERT_EQ(got.author, want.author) << i;
        ASSERT_EQ(got.file_name, want.file_name) << i;
    }
}

recipe sample_recipe() {
    recipe dish;
    dish.name = "Lentil soup";
    dish.author = "Ann Lee";
    dish.source = "Family, 1970";
    dish.description = "Warm and filling";
    dish.servings = 4;
    dish.ingredient_count = 8;
    for (int i = 1; i <= 8; ++i) dish.ingredients[i] = std::to_string(i) + " cups of something, chopped";
    dish.direction_count = 3;
    for (int i = 1; i <= 3; ++i) dish.directions[i] = "Step " + std::to_string(i) + ": stir";
    return dish;
}

// Runs every reader over the file and checks the limits they promise.
void read_all_ways(const std::string& bytes) {
    // A new file each time: rewriting one file in place makes the file system
    // flush it on every close, which only slows the test down.
    static int serial = 0;
    const std::string name = "x" + std::to_string(++serial) + ".rcp";
    write_whole_file(name, bytes);
    for (const recipe& dish : {read_recipe(name), read_recipe_heading(name), read_recipe_ingredients(name)}) {
        ASSERT_LE(dish.ingredient_count, max_recipe_items);
        ASSERT_LE(dish.direction_count, max_recipe_items);
        for (const std::string* text : {&dish.name, &dish.author, &dish.source, &dish.description})
            ASSERT_LE(text->size(), 4096u);
    }
    int count = load_index(name);
    fs::remove(name);
    ASSERT_GE(count, 0);
    ASSERT_LE(static_cast<size_t>(count), bytes.size());
    ASSERT_GE(recipe_index().size(), static_cast<size_t>(count) + 1);
}

}  // namespace

TEST_F(storage_robustness_test, a_rewrite_killed_at_any_moment_leaves_a_whole_index) {
    const int small = 2000, large = 3000;
    const std::vector<index_entry> version_a = index_version(small, 'a');
    const std::vector<index_entry> version_b = index_version(large, 'b');
    recipe_index() = version_a;
    save_index("default.ldr", small);
    std::mt19937 random(424242);
    for (int round = 0; round < 25; ++round) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int n = 0;; ++n) {
                recipe_index() = n % 2 ? version_b : version_a;
                save_index("default.ldr", n % 2 ? large : small);
            }
        }
        ::usleep(static_cast<useconds_t>(random() % 40000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        make_recipe_index_room(0);
        int count = load_index("default.ldr");
        ASSERT_TRUE(count == small || count == large) << count;
        expect_whole_version(count, count == small ? version_a : version_b);
    }
    // Whatever a killed rewrite left behind is hidden from the backup's wildcards.
    for (const auto& entry : fs::directory_iterator(dir)) {
        std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "default.ldr" || name.front() == '.') << name;
    }
}

TEST_F(storage_robustness_test, a_failed_rewrite_keeps_the_old_files_and_is_reported) {
    recipe_index() = index_version(3, 'a');
    save_index("default.ldr", 3);
    write_recipe("1.rcp", sample_recipe());
    const std::string old_index = read_whole_file("default.ldr");
    const std::string old_recipe = read_whole_file("1.rcp");
    int index_error = 0, recipe_error = 0, add_result = 0;
    {
        file_size_limit limit(200);
        recipe_index() = index_version(50, 'b');
        save_index("default.ldr", 50);
        index_error = last_error();
        recipe big = sample_recipe();
        big.description = std::string(300, 'x');
        write_recipe("1.rcp", big);
        recipe_error = last_error();
        add_result = add_to_default_index({std::string(300, 'n'), "", "", "2.rcp"});
    }
    EXPECT_NE(index_error, 0);
    EXPECT_NE(recipe_error, 0);
    EXPECT_EQ(add_result, -1);
    EXPECT_EQ(read_whole_file("default.ldr"), old_index);
    EXPECT_EQ(read_whole_file("1.rcp"), old_recipe);
}

TEST_F(storage_robustness_test, truncated_and_random_files_never_upset_a_reader) {
    write_recipe("good.rcp", sample_recipe());
    const std::string good_recipe = read_whole_file("good.rcp");
    recipe_index() = index_version(12, 'a');
    save_index("good.ldr", 12);
    const std::string good_index = read_whole_file("good.ldr");

    for (const std::string* good : {&good_recipe, &good_index})
        for (size_t length = 0; length <= good->size(); ++length) read_all_ways(good->substr(0, length));

    std::mt19937 random(99);
    const std::string pieces[] = {"\"", ",", " ", "\t", "\r", "\n", "\r\n", "0", "7", "-", ".", "2.5",
                                  "255", "256", "60", "-1", "99999999999999999999999999", "x", "\xff", ""};
    for (int round = 0; round < 2000; ++round) {
        std::string bytes = round % 2 ? good_recipe : good_index;
        int edits = 1 + static_cast<int>(random() % 6);
        for (int e = 0; e < edits; ++e) {
            size_t at = random() % (bytes.size() + 1);
            const std::string& piece = pieces[random() % std::size(pieces)];
            if (random() % 2 && at < bytes.size())
                bytes.replace(at, 1, piece);
            else
                bytes.insert(at, piece);
        }
        read_all_ways(bytes);
    }
    for (int round = 0; round < 1000; ++round) {
        std::string bytes(random() % 300, '\0');
        for (char& c : bytes) c = static_cast<char>(random() % 256);
        read_all_ways(bytes);
    }
    // A count beyond the file and a text beyond the field limit.
    read_all_ways("\"a\",\"b\",\"c\"\r\n\"d\",1\r\n9223372036854775807\r\n\"" + std::string(10000, 'y'));
    read_all_ways("9223372036854775807\r\n" + std::string(5000, ','));
}

// A FIFO or a device reads as a missing file and is never waited on; a
// rewrite puts a regular file in its place.
TEST_F(storage_robustness_test, strange_files_read_as_missing_ones) {
    ASSERT_EQ(::mkfifo("favs.ldr", 0600), 0);
    ASSERT_EQ(::mkfifo("fifo.rcp", 0600), 0);
    fs::create_symlink("/dev/zero", "zero.rcp");
    EXPECT_EQ(read_recipe("fifo.rcp").name, "");
    EXPECT_EQ(read_recipe("zero.rcp").ingredient_count, 0);
    EXPECT_EQ(load_index("favs.ldr"), 0);
    EXPECT_NE(last_error(), 0);
    add_favourite({"Soup", "", "", "1.rcp"});
    EXPECT_EQ(last_error(), 0);
    EXPECT_EQ(read_whole_file("favs.ldr"), "1\r\n\"Soup\",\"\",\"\",\"1.rcp\"\r\n");
    EXPECT_FALSE(fs::exists("favs.bak"));
}
