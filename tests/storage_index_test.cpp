#include <algorithm>
#include <filesystem>
#include <random>

#include "shell/fields.h"
#include "shell/services.h"
#include "storage/packed_entries.h"
#include "storage/recipe_index.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

using storage_index_test = larder_test;

// Fills positions 1..N with entries named names[i], file names "1".."N".
void fill_index(const std::vector<std::string>& names) {
    make_recipe_index_room(static_cast<int>(names.size()) + 10);
    for (size_t i = 0; i < names.size(); ++i) {
        index_at(static_cast<int>(i) + 1).name = names[i];
        index_at(static_cast<int>(i) + 1).file_name = std::to_string(i + 1);
    }
}

// "name/file" for positions 1..count.
std::vector<std::string> index_contents(int count) {
    std::vector<std::string> contents;
    for (int i = 1; i <= count; ++i)
        contents.push_back(index_at(i).name + "/" + index_at(i).file_name);
    return contents;
}

using texts = std::vector<std::string>;

const std::string soup_line = "\"Soup\",\"Ann\",\"\",\"1000.rcp\"\r\n";

}  // namespace

TEST_F(storage_index_test, save_writes_the_count_and_four_quoted_fields_per_line) {
    make_recipe_index_room(0);
    save_index("default.ldr", 0);
    EXPECT_EQ(last_error(), 0);
    EXPECT_EQ(read_whole_file("default.ldr"), "0\r\n");
    index_at(1) = {"Soup", "Ann", "", "1000.rcp"};
    index_at(2) = {"Pie \"deep\"", "", "Book, 2nd", "my pie.rcp"};
    save_index("default.ldr", 2);
    EXPECT_EQ(read_whole_file("default.ldr"),
              "2\r\n" + soup_line + "\"Pie ''deep''\",\"\",\"Book, 2nd\",\"my pie.rcp\"\r\n");
    make_recipe_index_room(0);
    EXPECT_EQ(load_index("default.ldr"), 2);
    EXPECT_EQ(index_contents(2), (texts{"Soup/1000.rcp", "Pie ''deep''/my pie.rcp"}));
    EXPECT_EQ(index_at(2).source, "Book, 2nd");
    EXPECT_EQ(index_at(1).source, "");
}

// Enough entries for the lines to be handed on in several pieces, with
// quotes that the writer turns into two apostrophes on either side of them.
TEST_F(storage_index_test, a_large_index_is_written_whole_and_reads_back) {
    const int count = 5000;
    make_recipe_index_room(count);
    std::string expected = std::to_string(count) + "\r\n";
    for (int i = 1; i <= count; ++i) {
        index_entry& entry = index_at(i);
        entry = {"Pie \"" + std::to_string(i) + "\"", i % 3 ? "Ann" : "", std::string(i % 7, 's'),
                 std::to_string(i) + ".rcp"};
        expected += encode_text_field(entry.name) + "," + encode_text_field(entry.author) + "," +
                    encode_text_field(entry.source) + "," + encode_text_field(entry.file_name) + "\r\n";
    }
    save_index("default.ldr", count);
    EXPECT_EQ(last_error(), 0);
    EXPECT_EQ(read_whole_file("default.ldr"), expected);
    make_recipe_index_room(0);
    EXPECT_EQ(load_index("default.ldr"), count);
    EXPECT_EQ(index_at(count).name, "Pie ''5000''");
    EXPECT_EQ(index_at(count - 1).source, std::string(4999 % 7, 's'));
}

TEST_F(storage_index_test, load_grows_past_the_room_and_stops_at_the_end_of_the_file) {
    std::string file = "30\r\n";
    for (int i = 1; i <= 30; ++i) file += "\"n" + std::to_string(i) + "\",\"\",\"\",\"" + std::to_string(i) + ".rcp\"\r\n";
    write_whole_file("default.ldr", file);
    make_recipe_index_room(2);
    EXPECT_EQ(load_index("default.ldr"), 30);
    EXPECT_EQ(index_at(30).file_name, "30.rcp");
    // A count larger than the entries held gives the entries held.
    write_whole_file("favs.ldr", "1000000000\r\n" + soup_line);
    EXPECT_EQ(load_index("favs.ldr"), 1);
    // Unquoted: the file name is the last field of its step and keeps blanks.
    write_whole_file("plain.ldr", "1\nSoup,Ann,Book,my soup.rcp\n");
    EXPECT_EQ(load_index("plain.ldr"), 1);
    EXPECT_EQ(index_at(1).file_name, "my soup.rcp");
    EXPECT_EQ(index_contents(1), texts{"Soup/my soup.rcp"});  // nothing left of the longer entry before
    EXPECT_EQ(index_at(1).author + "/" + index_at(1).source, "Ann/Book");
    EXPECT_EQ(load_index("missing.ldr"), 0);
    EXPECT_NE(last_error(), 0);
}

TEST_F(storage_index_test, sorting_puts_capitals_first_and_prefixes_before_longer_names) {
    fill_index({"apple pie", "Zebra cake", "apple", "Apple", "10 minute soup", "\xe1nise", "Zebra"});
    sort_index(7);
    EXPECT_EQ(index_contents(7), (texts{"10 minute soup/5", "Apple/4", "Zebra/7", "Zebra cake/2", "apple/3",
                                        "apple pie/1", "\xe1nise/6"}));
    fill_index({"Only"});
    sort_index(1);
    EXPECT_EQ(index_contents(1), (texts{"Only/1"}));
}

// The orders below were worked out by hand from the quicksort's steps.
TEST_F(storage_index_test, equal_names_end_in_the_order_the_quicksort_gives) {
    fill_index({"Pie", "Pie", "Pie", "Pie"});
    sort_index(4);
    EXPECT_EQ(index_contents(4), (texts{"Pie/3", "Pie/4", "Pie/1", "Pie/2"}));
    fill_index({"B", "A", "B", "A", "B"});
    sort_index(5);
    EXPECT_EQ(index_contents(5), (texts{"A/4", "A/2", "B/5", "B/1", "B/3"}));
}

// The sort's steps as they are laid down, on whole entries: an explicit
// stack, the middle name as pivot, the larger part waiting on the stack.
void reference_sort(std::vector<index_entry>& entries, int count) {
    std::vector<std::pair<int, int>> stack{{1, count}};
    while (!stack.empty()) {
        auto [low, high] = stack.back();
        stack.pop_back();
        while (low < high) {
            int i = low, j = high;
            const std::string pivot = entries[static_cast<size_t>((low + high) / 2)].name;
            while (i <= j) {
                while (entries[static_cast<size_t>(i)].name < pivot) ++i;
                while (pivot < entries[static_cast<size_t>(j)].name) --j;
                if (i <= j) std::swap(entries[static_cast<size_t>(i++)], entries[static_cast<size_t>(j--)]);
            }
            if (j - low < high - i) {
                if (i < high) stack.emplace_back(i, high);
                high = j;
            } else {
                if (low < j) stack.emplace_back(low, j);
                low = i;
            }
        }
    }
}

// Equal names end where the exact steps put them, so thousands of small
// indexes of few names, some alike up to their last byte, must come out in
// the very order of the steps.
TEST_F(storage_index_test, the_sort_follows_the_quicksort_steps_exactly) {
    const std::string long_start(26, 'p');
    const std::vector<std::vector<std::string>> alphabets = {
        {"pie", "Pie"}, {"a", "B", "b"}, {long_start + "a", long_start + "A", long_start}, {"Tea", "tea", "TEA"}};
    std::mt19937 random(2024);
    for (int round = 0; round < 3000; ++round) {
        const auto& alphabet = alphabets[static_cast<size_t>(round) % alphabets.size()];
        const int count = 1 + static_cast<int>(random() % 40);
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i) names.push_back(alphabet[random() % alphabet.size()]);
        fill_index(names);
        std::vector<index_entry> expected(recipe_index().begin(), recipe_index().begin() + count + 1);
        reference_sort(expected, count);
        sort_index(count);
        for (int i = 1; i <= count; ++i)
            ASSERT_EQ(index_at(i).file_name, expected[static_cast<size_t>(i)].file_name) << "round " << round << ", " << i;
    }
}

// An add sorts an index in name order with new entries at its end; those
// fall before, between, on and after its names, alone and several together.
TEST_F(storage_index_test, entries_appended_to_an_ordered_index_end_where_the_steps_put_them) {
    const std::string long_start(26, 'p');
    const texts in_index = {"B", "Pie", "Pie", "pie", "tea", long_start + "a", long_start + "c", long_start + "c"};
    const texts added = {"A", "Pi", "Pie", "Pig", "b", "tea", "zz", long_start, long_start + "b", long_start + "c"};
    std::mt19937 random(99);
    for (int round = 0; round < 2000; ++round) {
        texts names(1 + random() % 30);
        for (std::string& name : names) name = in_index[random() % in_index.size()];
        std::sort(names.begin(), names.end());
        for (size_t i = 1 + random() % 3; i > 0; --i) names.push_back(added[random() % added.size()]);
        const int count = static_cast<int>(names.size());
        fill_index(names);
        std::vector<index_entry> expected(recipe_index().begin(), recipe_index().begin() + count + 1);
        reference_sort(expected, count);
        sort_index(count);
        for (int i = 1; i <= count; ++i)
            ASSERT_EQ(index_at(i).file_name, expected[static_cast<size_t>(i)].file_name) << "round " << round << ", " << i;
    }
}

TEST_F(storage_index_test, names_alike_in_their_first_bytes_still_sort_by_every_byte) {
    const std::string long_start(24, 'k');
    const std::string zero(1, '\0');
    std::vector<std::string> names = {long_start + "b", long_start + "a", long_start, long_start + zero,
                                      "k" + zero, "k", "k" + zero + zero, long_start + "a" + zero,
                                      long_start.substr(0, 23) + "\xff", long_start + "\xff", long_start + "a"};
    fill_index(names);
    sort_index(static_cast<int>(names.size()));
    std::vector<std::string> sorted;
    for (int i = 1; i <= static_cast<int>(names.size()); ++i) sorted.push_back(index_at(i).name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(sorted, names);
    // Equal long names end as equal short ones do.
    const std::string pie = "Grandmother's deep dish apple pie";
    fill_index({pie, pie, pie, pie});
    sort_index(4);
    EXPECT_EQ(index_contents(4), (texts{pie + "/3", pie + "/4", pie + "/1", pie + "/2"}));
}

TEST_F(storage_index_test, sorting_touches_only_the_given_positions_and_orders_many_names) {
    fill_index({"c", "b", "a", "0"});
    sort_index(3);
    EXPECT_EQ(index_contents(4), (texts{"a/3", "b/2", "c/1", "0/4"}));
    std::mt19937 random(7);
    std::vector<std::string> names(5000);
    for (std::string& name : names) {
        name = std::string(1 + random() % 3, static_cast<char>('A' + random() % 5));
        if (random() % 2) name = std::string(23 + random() % 3, 'p') + name;  // around the 24-byte head
    }
    fill_index(names);
    sort_index(5000);
    std::vector<std::string> sorted;
    for (int i = 1; i <= 5000; ++i) sorted.push_back(index_at(i).name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(sorted, names);
}

TEST_F(storage_index_test, adding_to_an_empty_default_index) {
    write_whole_file("default.ldr", "0\r\n");
    EXPECT_EQ(add_to_default_index({"Soup", "Ann", "", "1000.rcp"}), 1);
    EXPECT_EQ(read_whole_file("default.ldr"), "1\r\n" + soup_line);
    EXPECT_EQ(read_whole_file("default.bak"), "0\r\n");
}

TEST_F(storage_index_test, adding_keeps_name_order_and_equal_names_side_by_side) {
    write_whole_file("default.ldr", "0\r\n");
    add_to_default_index({"Soup", "", "", "1.rcp"});
    add_to_default_index({"Apple pie", "", "", "2.rcp"});
    std::string before = read_whole_file("default.ldr");
    EXPECT_EQ(add_to_default_index({"Soup", "", "", "3.rcp"}), 3);
    EXPECT_EQ(read_whole_file("default.bak"), before);
    make_recipe_index_room(0);
    ASSERT_EQ(load_index("default.ldr"), 3);
    EXPECT_EQ(index_at(1).name, "Apple pie");
    EXPECT_EQ(index_at(2).name, "Soup");
    EXPECT_EQ(index_at(3).name, "Soup");
}

TEST_F(storage_index_test, a_failed_backup_loses_no_entry) {
    write_whole_file("default.ldr", "1\r\n" + soup_line);
    fs::create_directory("default.bak");  // the copy cannot replace a directory
    EXPECT_EQ(add_to_default_index({"Pie", "", "", "2.rcp"}), 2);
    make_recipe_index_room(0);
    ASSERT_EQ(load_index("default.ldr"), 2);
    EXPECT_EQ(index_contents(2), (texts{"Pie/2.rcp", "Soup/1000.rcp"}));
}

TEST_F(storage_index_test, a_stale_backup_does_not_come_back_when_the_index_is_missing) {
    write_whole_file("default.bak", "1\r\n" + soup_line);
    EXPECT_EQ(add_to_default_index({"Pie", "", "", "2.rcp"}), 1);
    EXPECT_EQ(read_whole_file("default.ldr"), "1\r\n\"Pie\",\"\",\"\",\"2.rcp\"\r\n");
}

TEST_F(storage_index_test, an_index_that_cannot_be_read_is_not_overwritten) {
    fs::create_directory("default.ldr");
    write_whole_file("default.bak", "1\r\n" + soup_line);
    EXPECT_EQ(add_to_default_index({"Pie", "", "", "2.rcp"}), -1);
    EXPECT_NE(last_error(), 0);
    EXPECT_TRUE(fs::is_directory("default.ldr"));
    EXPECT_EQ(read_whole_file("default.bak"), "1\r\n" + soup_line);
    fs::create_directory("favs.ldr");
    add_favourite({"Pie", "", "", "2.rcp"});
    EXPECT_NE(last_error(), 0);
    EXPECT_FALSE(fs::exists("favs.bak"));
}

TEST_F(storage_index_test, a_favourite_added_twice_gives_two_equal_entries) {
    const index_entry soup{"Soup", "Ann", "", "1000.rcp"};
    add_favourite(soup);
    EXPECT_EQ(last_error(), 0);
    EXPECT_EQ(read_whole_file("favs.ldr"), "1\r\n" + soup_line);
    EXPECT_FALSE(fs::exists("favs.bak"));  // there was nothing to copy
    add_favourite(soup);
    EXPECT_EQ(read_whole_file("favs.ldr"), "2\r\n" + soup_line + soup_line);
    EXPECT_EQ(read_whole_file("favs.bak"), "1\r\n" + soup_line);
    // The in-memory index now holds the favourites, not the default index.
    EXPECT_EQ(index_contents(2), (texts{"Soup/1000.rcp", "Soup/1000.rcp"}));
}

TEST_F(storage_index_test, an_entry_shown_from_the_loaded_index_can_be_added_as_it_is) {
    write_whole_file("default.ldr", "2\r\n\"Pie\",\"\",\"\",\"1.rcp\"\r\n" + soup_line);
    write_whole_file("favs.ldr", "1\r\n\"Tea\",\"\",\"\",\"9.rcp\"\r\n");
    make_recipe_index_room(2);
    ASSERT_EQ(load_index("default.ldr"), 2);
    // The browser hands over the entry on show, which the add's load replaces.
    add_favourite(index_at(1));
    EXPECT_EQ(read_whole_file("favs.ldr"), "2\r\n\"Tea\",\"\",\"\",\"9.rcp\"\r\n\"Pie\",\"\",\"\",\"1.rcp\"\r\n");
    make_recipe_index_room(2);
    ASSERT_EQ(load_index("default.ldr"), 2);
    EXPECT_EQ(add_to_default_index(index_at(1)), 3);  // the index grows under the entry
    EXPECT_EQ(index_contents(3), (texts{"Pie/1.rcp", "Pie/1.rcp", "Soup/1000.rcp"}));
}

TEST_F(storage_index_test, backups_copy_each_index_to_its_own_file) {
    EXPECT_FALSE(backup_index(index_kind::default_index));
    write_whole_file("default.ldr", "0\r\n");
    write_whole_file("favs.ldr", "1\r\n" + soup_line);
    EXPECT_TRUE(backup_index(index_kind::default_index));
    EXPECT_TRUE(backup_index(index_kind::favourites));
    EXPECT_EQ(read_whole_file("default.bak"), "0\r\n");
    EXPECT_EQ(read_whole_file("favs.bak"), "1\r\n" + soup_line);
}

// Many entries added at once give the very file that loading the index,
// appending them, sorting by the steps and saving would give, whether the
// index is in order or not: equal names among old and new ones, fields long
// enough to need more than one byte for their length, quotes, empty fields.
TEST_F(storage_index_test, packed_entries_added_at_once_land_where_one_by_one_they_would) {
    const texts names = {"Pie", "pie", "B", "Tea", std::string(200, 'p'), std::string(200, 'p') + "a", "Pi\"e"};
    std::mt19937 random(5);
    for (int round = 0; round < 150; ++round) {
        const bool ordered = round % 2 == 0;
        std::vector<index_entry> expected(1);
        std::string file = "";
        const bool has_index = round % 5 != 4;
        texts old(has_index ? random() % 12 : 0);
        for (std::string& name : old) name = names[random() % names.size()];
        if (ordered) std::sort(old.begin(), old.end());
        for (size_t i = 0; i < old.size(); ++i) {
            // A quote in a saved name reads back as two apostrophes.
            const std::string saved = encode_text_field(old[i]);
            expected.push_back({saved.substr(1, saved.size() - 2), i % 2 ? std::string(130, 'a') : "", "Book", "old" + std::to_string(i)});
            file += encode_text_field(old[i]) + "," + encode_text_field(expected.back().author) + ",\"Book\",\"old" +
                    std::to_string(i) + "\"\r\n";
        }
        if (has_index) write_whole_file("default.ldr", std::to_string(old.size()) + "\r\n" + file);
        else fs::remove("default.ldr");  // no index yet
        packed_entries added;
        for (size_t i = 1 + random() % (ordered ? 3 : 20); i > 0; --i) {
            const index_entry entry{names[random() % names.size()], "", i % 3 ? "" : "Sh\"op", "new" + std::to_string(i)};
            add_packed_entry(added, {entry.name, entry.author, entry.source, entry.file_name});
            expected.push_back(entry);
        }
        const int count = static_cast<int>(expected.size()) - 1;
        reference_sort(expected, count);
        std::string lines = std::to_string(count) + "\r\n";
        for (int i = 1; i <= count; ++i) {
            const index_entry& entry = expected[static_cast<size_t>(i)];
            for (const std::string* field : {&entry.name, &entry.author, &entry.source})
                lines += encode_text_field(*field) + ",";
            lines += encode_text_field(entry.file_name) + "\r\n";
        }
        ASSERT_EQ(add_entries_to_default_index(std::move(added)), count) << "round " << round;
        ASSERT_EQ(read_whole_file("default.ldr"), lines) << "round " << round;
    }
}

// When the backup copy cannot be made, the index itself is read; when that
// cannot be read, nothing is written.
TEST_F(storage_index_test, packed_entries_are_added_without_a_backup_but_never_to_an_unreadable_index) {
    write_whole_file("default.ldr", "1\r\n" + soup_line);
    fs::create_directory("default.bak");  // the copy cannot replace a directory
    packed_entries added;
    add_packed_entry(added, {"Apple", "", "", "1.rcp"});
    EXPECT_EQ(add_entries_to_default_index(added), 2);
    EXPECT_EQ(read_whole_file("default.ldr"), "2\r\n\"Apple\",\"\",\"\",\"1.rcp\"\r\n" + soup_line);
    fs::remove("default.ldr");
    fs::create_directory("default.ldr");
    EXPECT_EQ(add_entries_to_default_index(added), -1);
    EXPECT_TRUE(fs::is_directory("default.ldr"));
}
