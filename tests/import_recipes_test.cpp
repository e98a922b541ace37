#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <sstream>

#include "import_recipes/import_tool.h"
#include "formats/line_splitter.h"
#include "shell/progress_line.h"
#include "formats/text_encoding.h"
#include "shell/collection_lock.h"
#include "shell/files.h"
#include "shell/services.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

const fs::path data = LDR_TEST_DATA_DIR;
const std::string box = (data / "mealmaster/box-of-cards.txt").string();
const std::string old_box = (data / "mealmaster/old-box.txt").string();

struct outcome {
    int status;
    std::string out, err;
};

// Makes the rename onto default.ldr, or the n-th write of a file, fail as
// on a full disk, through the system calls that every write goes through.
class full_disk {
public:
    full_disk(bool index, int failing_write) {
        writes_left = failing_write;
        if (index) {
            replacement_system().rename = [](const char* from, const char* to, unsigned flags) {
                if (std::string_view(to).ends_with("default.ldr")) return errno = ENOSPC, -1;
                return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, flags);
            };
        } else {
            replacement_system().write = [](int fd, const void* bytes, size_t size) -> ssize_t {
                if (--writes_left == 0) return errno = ENOSPC, -1;
                return ::write(fd, bytes, size);
            };
        }
    }
    ~full_disk() { replacement_system() = saved; }

private:
    static inline int writes_left = 0;
    replacement_calls saved = replacement_system();
};

class import_recipes_test : public larder_test {
protected:
    void SetUp() override {
        larder_test::SetUp();
        collection = dir / "Larderon";
        fs::create_directory(collection);
    }

    // Runs the tool as if started in the test's directory.
    outcome run(const std::vector<std::string>& args, uint64_t most_recipes = 1'000'000) {
        std::ostringstream out, err;
        int status = import_recipes(args, {collection.string(), out, err, false, most_recipes});
        fs::current_path(dir);
        return {status, out.str(), err.str()};
    }

    // Two listed recipes; the lower-case name sorts after every upper-case one.
    void put_collection() {
        for (const char* name : {"100.rcp", "200.rcp", "default.ldr"})
            fs::copy_file(data / "mealmaster/expected" / (std::string(name) == "default.ldr" ? "default.bak" : name),
                          collection / name);
    }

    // "N recipes from F files|further lines" as the tool's summary.
    std::string summary(const std::string& counts) {
        const size_t bar = counts.find('|');
        return "Imported " + counts.substr(0, bar) + " into " + collection.string() + ".\n" + counts.substr(bar + 1);
    }

    fs::path collection;
};

}  // namespace

TEST_F(import_recipes_test, mealmaster_cards_become_exact_recipe_files_listed_by_one_rewrite) {
    put_collection();
    const file_map before = collection_files(collection);
    const file_map expected = collection_files(data / "mealmaster/expected");
    const std::string first = summary("5 recipes from 2 files|Skipped 0 already in the collection, 1 without a name.\n"
                                      "From MealMaster 6.\n");

    // A dry run says what a run would do, and writes nothing.
    outcome dry = run({"--dry-run", box, old_box});
    EXPECT_EQ(dry.status, 0);
    EXPECT_EQ(dry.out, "Would import 5 recipes from 2 files into " + collection.string() +
                           ".\nWould skip 0 already in the collection, 1 without a name.\n"
                           "From MealMaster 6.\n");
    EXPECT_EQ(collection_files(collection), before);

    outcome real = run({box, old_box});
    EXPECT_EQ(real.status, 0);
    EXPECT_EQ(real.err, "");
    EXPECT_EQ(real.out, first);
    EXPECT_EQ(collection_files(collection), expected);

    // The same files again add nothing and touch nothing.
    outcome again = run({box, old_box});
    EXPECT_EQ(again.out, summary("0 recipes from 2 files|Skipped 5 already in the collection, 1 without a name.\n"
                                     "From MealMaster 6.\n"));
    EXPECT_EQ(collection_files(collection), expected);

    outcome kept = run({"--keep-duplicates", old_box});
    EXPECT_EQ(kept.out, summary("1 recipes from 1 file|From MealMaster 1.\n"));
    EXPECT_EQ(read_whole_file(collection / "Creme brulee2.rcp"), expected.at("Creme brulee1.rcp"));
    EXPECT_EQ(read_whole_file(collection / "default.ldr").substr(0, 3), "8\r\n");
}

TEST_F(import_recipes_test, a_directory_of_mixed_files_gives_its_recipes_and_names_the_rest) {
    fs::copy(data / "mixed", "mixed", fs::copy_options::recursive);
    ASSERT_EQ(::mkfifo("mixed/pipe", 0600), 0);
    fs::create_symlink("/dev/zero", "mixed/zero");
    fs::create_symlink("..", "mixed/sub/loop");
    fs::create_symlink("saved.rcp", "mixed/saved-copy.rcp");  // the same recipe twice in one run
    // What a killed run left: its list, a file it wrote that no index names, its temporary file.
    write_whole_file(collection / "Kept.rcp", "\"Kept\",\"\",\"\"\r\n\"\",0\r\n0\r\n0\r\n");
    write_whole_file(collection / "default.ldr", "1\r\n\"Kept\",\"\",\"\",\"Kept.rcp\"\r\n");
    write_whole_file(collection / "Left1.rcp", "\"Left\",\"\",\"\"\r\n\"\",0\r\n0\r\n0\r\n");
    write_whole_file(collection / ".import-recipes.part", "\"Half");
    struct stat kept {}, left {};
    ASSERT_EQ(::stat((collection / "Kept.rcp").c_str(), &kept) + ::stat((collection / "Left1.rcp").c_str(), &left), 0);
    write_whole_file(collection / ".import-recipes.run",
                     std::to_string(kept.st_ino) + " Kept.rcp\n" + std::to_string(left.st_ino) + " Left1.rcp\n");
    const file_map before = collection_files(collection);

    outcome result = run({"mixed"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, summary("3 recipes from 4 files|Skipped 1 already in the collection, 0 without a name.\n"
                                  "Not recipe files: 6 \u2014 1 picture, 5 others: article.html, notes.txt, "
                                  "person.json, photo.jpg, pipe, zero\n"
                                  "From web pages 1, from Larderon 2, from MealMaster 1.\n"));
    const file_map expected = {
        {"Kept.rcp", before.at("Kept.rcp")},
        {"Lemon Curd1.rcp", "\"Lemon Curd\",\"\",\"\"\r\n\"\",0\r\n3\r\n\"3 Lemons; juice and zest\"\r\n"
                            "\"200 g Sugar\"\r\n\"100 g Butter\"\r\n2\r\n\"Yield: 2 jars\"\r\n"
                            "\"Stir over low heat until thick.\"\r\n"},
        {"Mint Tea1.rcp", read_whole_file(data / "mixed/saved.rcp")},
        {"Thin Pancakes1.rcp", "\"Thin Pancakes\",\"Bea\",\"example.org\"\r\n\"\",4\r\n3\r\n\"250 g flour\"\r\n"
                               "\"\xBD l milk\"\r\n\"2 eggs\"\r\n3\r\n\"Whisk & rest 30 minutes.\"\r\n\"Fry thin.\"\r\n"
                               "\"Source: https://example.org/thin-pancakes\"\r\n"},
        {"default.bak", before.at("default.ldr")},
        {"default.ldr", "4\r\n\"Kept\",\"\",\"\",\"Kept.rcp\"\r\n\"Lemon Curd\",\"\",\"\",\"Lemon Curd1.rcp\"\r\n"
                        "\"Mint Tea\",\"Ann\",\"Garden\",\"Mint Tea1.rcp\"\r\n"
                        "\"Thin Pancakes\",\"Bea\",\"example.org\",\"Thin Pancakes1.rcp\"\r\n"}};
    EXPECT_EQ(collection_files(collection), expected);
}

// The same recipe under another letter case, other blanks and another
// source is a duplicate; the same name, author and source with other
// ingredients is not. A recipe file with LF line ends is one too.
TEST_F(import_recipes_test, duplicates_are_the_same_name_author_and_ingredients_whatever_the_source) {
    const std::string head = "MMMMM----- Recipe via Meal-Master (tm) v8.05\n      Title: ";
    write_whole_file("one.txt", head + "Lemon  Tart\n\n      1    Lemon\n\nSource: Aunt Meg\n-----\n");
    write_whole_file("two.txt", head + "lemon tart \n\n      1    Lemon\n\nSource: The Shop\nMMMMM\n" + head +
                                    "Lemon  Tart\n\n      2    Lemons\n\nSource: Aunt Meg\n-----\n");
    write_whole_file("lf.rcp", "\"Plain\",\"\",\"\"\n\"\",0\n1\n\"1 egg\"\n0\n");
    outcome result = run({"one.txt", "two.txt", "lf.rcp"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, summary("3 recipes from 3 files|Skipped 1 already in the collection, 0 without a name.\n"
                                  "Without directions: 3 (Lemon Tart, Lemon Tart, Plain)\n"
                                  "From MealMaster 3, from Larderon 1.\n"));
    EXPECT_EQ(read_whole_file(collection / "default.ldr"),
              "3\r\n\"Lemon Tart\",\"\",\"Aunt Meg\",\"Lemon Tart2.rcp\"\r\n"
              "\"Lemon Tart\",\"\",\"Aunt Meg\",\"Lemon Tart1.rcp\"\r\n\"Plain\",\"\",\"\",\"Plain1.rcp\"\r\n");
    EXPECT_EQ(read_whole_file(collection / "Lemon Tart2.rcp"),
              "\"Lemon Tart\",\"\",\"Aunt Meg\"\r\n\"\",0\r\n1\r\n\"2 Lemons\"\r\n0\r\n");
}

// Recipes without directions or ingredients are named, ten at most; files
// without recipes are counted by kind; --verbose tells each file's fate.
TEST_F(import_recipes_test, the_summary_names_thin_recipes_and_counts_other_files_by_kind) {
    fs::create_directories("in/deep");
    std::string cards;
    for (int i = 1; i <= 12; ++i)
        cards += "MMMMM----- Recipe via Meal-Master (tm) v8.05\n      Title: Card " + std::to_string(i) +
                 "\n\n  Stir.\n-----\n";
    write_whole_file("in/cards.txt", cards);
    std::string big;
    for (int i = 1; i <= 11; ++i) {
        big += "MMMMM----- Recipe via Meal-Master (tm) v8.05\n      Title: Big " + std::to_string(i) + "\n\n";
        for (int k = 0; k < 51; ++k) big += "      1    Egg\n";
        big += "\n  Beat.\n-----\n";
    }
    write_whole_file("in/big.txt", big);
    write_whole_file("in/deep/empty.txt", "MMMMM----- Recipe via Meal-Master (tm) v8.05\n      Title: Bare\n-----\n");
    write_whole_file("in/deep/a.png", "\x89PNG\r\n\x1A\n....");
    // Archives that hold no recipe.
    fs::copy(data / "archives/words.zip", "in/deep/b.zip");
    fs::copy(data / "archives/words.gz", "in/deep/c.gz");
    for (int i = 1; i <= 10; ++i) write_whole_file("in/note" + std::to_string(i) + ".txt", "Just words.");
    write_whole_file("loose.txt", "Just words.");
    outcome result = run({"--verbose", "in/", "loose.txt"});
    EXPECT_EQ(result.status, 0);
    std::string shortened;
    for (int i = 1; i <= 10; ++i) shortened += "Big " + std::to_string(i) + " (51 ingredients, the first 50 kept), ";
    EXPECT_EQ(result.out, summary("24 recipes from 3 files|Shortened 11 to fit: " + shortened +
                                  "\u2026 and 1 more\n"
                                  "Without directions: 1 (Bare)\n"
                                  "Without ingredients: 13 (Card 1, Card 2, Card 3, Card 4, Card 5, Card 6, Card 7, "
                                  "Card 8, Card 9, Card 10, \u2026 and 3 more)\n"
                                  "Not recipe files: 14 \u2014 1 picture, 2 archives, 11 others: deep/a.png, "
                                  "deep/b.zip, deep/c.gz, note1.txt, note10.txt, note2.txt, note3.txt, note4.txt, "
                                  "note5.txt, note6.txt, \u2026 and 4 more\n"
                                  "From MealMaster 24.\n"));
    EXPECT_EQ(result.err, "in/big.txt: 11 recipes\nin/cards.txt: 12 recipes\nin/deep/a.png: not a recipe file: a picture\n"
                          "in/deep/b.zip: not a recipe file: an archive\nin/deep/c.gz: not a recipe file: an archive\n"
                          "in/deep/empty.txt: 1 recipes\nin/note1.txt: not a recipe file: no recipe found\n"
                          "in/note10.txt: not a recipe file: no recipe found\n"
                          "in/note2.txt: not a recipe file: no recipe found\n"
                          "in/note3.txt: not a recipe file: no recipe found\n"
                          "in/note4.txt: not a recipe file: no recipe found\n"
                          "in/note5.txt: not a recipe file: no recipe found\n"
                          "in/note6.txt: not a recipe file: no recipe found\n"
                          "in/note7.txt: not a recipe file: no recipe found\n"
                          "in/note8.txt: not a recipe file: no recipe found\n"
                          "in/note9.txt: not a recipe file: no recipe found\n"
                          "loose.txt: not a recipe file: no recipe found\n");
}

TEST_F(import_recipes_test, recipes_too_big_for_a_recipe_file_are_shortened_and_named) {
    std::string text = "MMMMM----- Recipe via Meal-Master (tm) v8.05\n      Title: Party punch\n\n";
    for (int i = 1; i <= 61; ++i) text += "      1 c  Juice " + std::to_string(i) + "\n";
    text += "\n";
    for (int i = 1; i <= 49; ++i) text += "Step " + std::to_string(i) + ".\n\n";
    std::string words;
    for (int i = 0; i < 512; ++i) words += "abcdefg ";
    for (int i = 0; i < 17; ++i) text += words;  // one line of 69,632 bytes
    text += "\nMMMMM\n";
    // Lines beyond 50 join line 50 while it has room; UTF-8 becomes Windows-1252.
    text += "MMMMM----- Recipe via Meal-Master (tm) v8.05\n      Title: Caf\u00e9 \"Noir\"\n\n"
            "      1 c  Cream, \u2153 whipped\n\n";
    std::string joined = "Step 50. \x80";
    for (int i = 1; i <= 55; ++i) {
        text += "Step\t" + std::to_string(i) + ".\u00a0\u20ac\n\n";
        if (i > 50) joined += " Step " + std::to_string(i) + ". \x80";
    }
    write_whole_file("punch.txt", text);

    outcome result = run({"punch.txt", "missing.txt"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "missing.txt could not be read: No such file or directory.\n");
    // Line 50 takes the first 4,095 bytes of the long line; its other 15
    // pieces and the 4,096 bytes beyond what a line keeps are cut.
    EXPECT_EQ(result.out, summary("2 recipes from 1 file|Shortened 1 to fit: Party punch (61 ingredients, the "
                                  "first 50 kept; directions cut by 65,521 bytes)\nFrom MealMaster 2.\n"));
    words.pop_back();
    const std::string punch = read_whole_file(collection / "Party punch1.rcp");
    EXPECT_NE(punch.find("\"1 c Juice 50\"\r\n50\r\n\"Step 1.\"\r\n"), std::string::npos);
    EXPECT_TRUE(punch.ends_with("\"Step 49.\"\r\n\"" + words + "\"\r\n"));
    std::string cafe = "\"Caf\xe9 ''Noir''\",\"\",\"\"\r\n\"\",0\r\n1\r\n\"1 c Cream, 1/3 whipped\"\r\n50\r\n";
    for (int i = 1; i <= 49; ++i) cafe += "\"Step " + std::to_string(i) + ". \x80\"\r\n";
    EXPECT_EQ(read_whole_file(collection / "Cafe ''Noir''1.rcp"), cafe + "\"" + joined + "\"\r\n");
}

TEST_F(import_recipes_test, a_failed_write_leaves_the_collection_as_it_was) {
    put_collection();
    const file_map before = collection_files(collection);
    {
        full_disk disk(true, 0);
        outcome result = run({box});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, collection.string() +
                                  "/default.ldr could not be written: No space left on device. Nothing was imported.\n");
    }
    file_map backed_up = before;
    backed_up["default.bak"] = before.at("default.ldr");
    EXPECT_EQ(collection_files(collection), backed_up);

    fs::remove(collection / "default.bak");
    {
        full_disk disk(false, 3);  // the second recipe file's, after the first file and its line in the run list
        outcome result = run({box});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, collection.string() + "/Butter Sauce1.rcp could not be written: No space left on "
                                                    "device. Nothing was imported.\n");
    }
    EXPECT_EQ(collection_files(collection), before);
}

// A name part ending in digits followed by a number can make the name
// another part makes with a longer number: "Cake1" with 1 and "Cake" with 11.
TEST_F(import_recipes_test, names_that_two_name_parts_could_both_make_are_given_once) {
    std::string recipes = "[{\"@type\":\"Recipe\",\"name\":\"Cake1\",\"recipeIngredient\":[\"x\"]}";
    for (int i = 1; i <= 12; ++i)
        recipes += ",{\"@type\":\"Recipe\",\"name\":\"Cake\",\"recipeIngredient\":[\"" + std::to_string(i) + " egg\"]}";
    write_whole_file("cakes.json", recipes + "]");
    write_whole_file(collection / "Cake2.rcp", "kept");  // a file of the collection keeps its name
    outcome result = run({"cakes.json"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(read_whole_file(collection / "Cake2.rcp"), "kept");
    EXPECT_EQ(read_whole_file(collection / "Cake11.rcp"), "\"Cake1\",\"\",\"\"\r\n\"\",0\r\n1\r\n\"x\"\r\n0\r\n");
    EXPECT_EQ(read_whole_file(collection / "Cake14.rcp"), "\"Cake\",\"\",\"\"\r\n\"\",0\r\n1\r\n\"12 egg\"\r\n0\r\n");
    EXPECT_FALSE(fs::exists(collection / "Cake15.rcp"));
    EXPECT_EQ(read_whole_file(collection / "default.ldr").substr(0, 4), "13\r\n");
}

// A run adds only so many recipes; the next run with the same files skips
// them as duplicates and brings in the rest.
TEST_F(import_recipes_test, a_run_stops_adding_at_its_limit_and_the_next_run_goes_on) {
    std::string recipes = "[";
    for (int i = 1; i <= 5; ++i)
        recipes += std::string(i > 1 ? "," : "") + "{\"@type\":\"Recipe\",\"name\":\"Dish " + std::to_string(i) +
                   "\",\"recipeIngredient\":[\"salt\"],\"recipeInstructions\":\"Cook.\"}";
    write_whole_file("dishes.json", recipes + "]");
    outcome first = run({"dishes.json"}, 3);
    EXPECT_EQ(first.status, 1);
    EXPECT_EQ(first.out, summary("3 recipes from 1 file|Left out 2 recipes past the 3 one run imports: run "
                                 "import-recipes again with the same files for them.\nFrom schema.org JSON 5.\n"));
    EXPECT_TRUE(fs::exists(collection / "Dish 31.rcp"));
    EXPECT_FALSE(fs::exists(collection / "Dish 41.rcp"));
    outcome second = run({"dishes.json"}, 3);
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(second.out, summary("2 recipes from 1 file|Skipped 3 already in the collection, 0 without a name.\n"
                                  "From schema.org JSON 5.\n"));
    EXPECT_EQ(read_whole_file(collection / "default.ldr").substr(0, 3), "5\r\n");
}

TEST_F(import_recipes_test, refuses_on_usage_errors) {
    put_collection();
    const file_map before = collection_files(collection);
    const std::string usage =
        "Usage: import-recipes [--dry-run] [--keep-duplicates] [--verbose] FILE_OR_DIRECTORY...\n";
    outcome nothing = run({"--dry-run"});
    EXPECT_EQ(nothing.status, 2);
    EXPECT_EQ(nothing.err, usage);
    outcome unknown = run({"--fast", box});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err, "import-recipes: unknown option --fast\n" + usage);
    EXPECT_EQ(collection_files(collection), before);
}

TEST_F(import_recipes_test, progress_shows_on_a_terminal_once_a_run_has_lasted_a_second_and_is_cleared) {
    std::ostringstream script_output, terminal;
    progress_line hidden(script_output, false, 3, 200), shown(terminal, true, 3, 200);
    shown.update(1, 5, 100);
    EXPECT_EQ(terminal.str(), "");
    pause(1000);  // on the scripted platform's clock
    hidden.update(1, 5, 100);
    shown.update(1, 5, 100);
    hidden.finish();
    shown.finish();
    EXPECT_EQ(script_output.str(), "");
    EXPECT_EQ(terminal.str(), "\r1 of 3 files, 5 recipes found [" + std::string(15, '#') + std::string(15, '-') + "] 50%\r" +
                                  std::string(79, ' ') + "\r");
}

TEST(line_splitter_test, lines_end_at_lf_cr_lf_or_cr_wherever_the_pieces_break_and_keep_a_bounded_part) {
    const std::string text = "one\r\ntwo\rthree\n\r\nfour five six\r";
    const std::vector<std::string> expected = {"one 0", "two 0", "three 0", " 0", "four fiv 5"};
    for (size_t piece : {1, 2, 3, 100}) {
        std::vector<std::string> lines;
        line_splitter splitter(8, [&](std::string_view line, uint64_t left_out) {
            lines.push_back(std::string(line) + " " + std::to_string(left_out));
        });
        for (size_t at = 0; at < text.size(); at += piece) splitter.add(std::string_view(text).substr(at, piece));
        splitter.finish();
        EXPECT_EQ(lines, expected) << piece;
    }
}

TEST(text_encoding_test, utf8_is_checked_strictly_and_windows_1252_survives_the_way_there_and_back) {
    // Overlong, surrogate, beyond U+10FFFF, a Latin-1 byte, a sequence cut off.
    for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "caf\xE9", "\xE2\x82"}) {
        utf8_check check;
        check.add(bad);
        EXPECT_FALSE(check.valid()) << bad;
    }
    utf8_check split;
    split.add("\xE2");
    split.add("\x82\xAC");
    EXPECT_TRUE(split.valid());

    std::string every_character;  // all that Windows-1252 has, but the no-break space
    for (int byte = 32; byte < 256; ++byte)
        if (std::string_view("\x7F\x81\x8D\x8F\x90\x9D\xA0").find(static_cast<char>(byte)) == std::string_view::npos)
            every_character += static_cast<char>(byte);
    EXPECT_EQ(utf8_to_windows_1252(windows_1252_to_utf8(every_character)), every_character);
    EXPECT_EQ(utf8_to_windows_1252("a\tb\u00a0c\u2028d\x81" "e\u0085f"), "a b c d e f");
    EXPECT_EQ(utf8_to_windows_1252("\U0001F355"), "?");  // no transliteration
}
