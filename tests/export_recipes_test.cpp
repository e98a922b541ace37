#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <clocale>
#include <sstream>

#include "export_recipes/export_tool.h"
#include "formats/mealmaster_writer.h"
#include "formats/nextcloud_writer.h"
#include "import_recipes/import_tool.h"
#include "storage/recipe.h"
#include "tests/file_size_limit.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

const fs::path data = fs::path(LDR_TEST_DATA_DIR) / "export";

struct outcome {
    int status;
    std::string out, err;
};

// Each entry of a zip as "== PATH FLAGS" and its bytes; FLAGS is "utf-8"
// when the entry's name is marked as UTF-8.
std::string zip_listing(const fs::path& path) {
    // Names are given in the locale's characters: UTF-8 ones need a UTF-8 locale.
    const std::string old_locale = std::setlocale(LC_CTYPE, nullptr);
    std::setlocale(LC_CTYPE, "C.UTF-8");
    const std::string bytes = read_whole_file(path);
    std::string listing;
    archive* zip = archive_read_new();
    archive_read_support_format_zip(zip);
    archive_entry* entry = nullptr;
    int status = archive_read_open_memory(zip, bytes.data(), bytes.size());
    while (status == ARCHIVE_OK && (status = archive_read_next_header(zip, &entry)) == ARCHIVE_OK) {
        listing += "== " + std::string(archive_entry_pathname_utf8(entry)) + "\n";
        char block[4096];
        for (la_ssize_t got; (got = archive_read_data(zip, block, sizeof block)) > 0;)
            listing.append(block, static_cast<size_t>(got));
    }
    if (status != ARCHIVE_EOF) listing += archive_error_string(zip);
    archive_read_free(zip);
    std::setlocale(LC_CTYPE, old_locale.c_str());
    return listing;
}

// The general purpose flags of each central directory entry whose name
// holds a byte above 127: bit 11 says the name is UTF-8.
std::vector<bool> utf8_flags_of_non_ascii_names(const std::string& zip) {
    std::vector<bool> flags;
    for (size_t at = zip.find("PK\1\2"); at != std::string::npos; at = zip.find("PK\1\2", at + 4)) {
        auto number = [&](size_t offset) {
            return static_cast<unsigned char>(zip[at + offset]) | static_cast<unsigned char>(zip[at + offset + 1]) << 8;
        };
        const std::string name = zip.substr(at + 46, static_cast<size_t>(number(28)));
        if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) > 127; }))
            flags.push_back((number(8) & 0x800) != 0);
    }
    return flags;
}

// The recipe files of a collection, as a sorted list of their bytes.
std::vector<std::string> recipe_files_of(const fs::path& folder) {
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".rcp") files.push_back(read_whole_file(entry.path()));
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> names_in(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class export_recipes_test : public larder_test {
protected:
    void SetUp() override {
        larder_test::SetUp();
        collection = dir / "Larderon";
        fs::copy(data / "collection", collection);
    }

    // Runs the tool as if started in the test's directory.
    outcome run(const std::vector<std::string>& args) {
        std::ostringstream out, err;
        const int status = export_recipes(args, {collection.string(), out, err, false});
        fs::current_path(dir);
        return {status, out.str(), err.str()};
    }

    // Imports a file into a new, empty collection and gives its recipe files.
    std::vector<std::string> imported(const std::string& file) {
        const fs::path again = dir / "Again";
        fs::create_directory(again);
        std::ostringstream out, err;
        const int status = import_recipes({file}, {again.string(), out, err, false});
        fs::current_path(dir);
        EXPECT_EQ(status, 0) << err.str();
        return recipe_files_of(again);
    }

    fs::path collection;
};

}  // namespace

TEST_F(export_recipes_test, each_format_gives_the_exact_bytes_expected) {
    for (const char* name : {"recipes.json", "recipes.mmf", "cookbook.html"}) {
        outcome done = run({name});
        EXPECT_EQ(done.status, 0) << done.err;
        EXPECT_EQ(done.out, "Exported 5 recipes to " + std::string(name) + ".\n");
        EXPECT_EQ(read_whole_file(name), read_whole_file(data / "expected" / name)) << name;
    }
    // The favourites, in the order they were added, and a format that the
    // ending would not choose.
    outcome favourites = run({"--favourites", "--format", "json", "favourites.txt"});
    EXPECT_EQ(favourites.status, 0);
    EXPECT_EQ(favourites.out, "Exported 2 recipes to favourites.txt.\n");
    EXPECT_EQ(read_whole_file("favourites.txt"), read_whole_file(data / "expected/favourites.json"));

    outcome zip = run({"recipes.zip"});
    EXPECT_EQ(zip.status, 0) << zip.err;
    EXPECT_EQ(zip_listing("recipes.zip"), read_whole_file(data / "expected/recipes.zip.txt"));
    const std::string zip_bytes = read_whole_file("recipes.zip");
    EXPECT_EQ(utf8_flags_of_non_ascii_names(zip_bytes), std::vector<bool>{true});
    EXPECT_EQ(zip_bytes.rfind("PK\5\6"), zip_bytes.size() - 22);  // nothing after the zip's end record
    EXPECT_EQ(names_in(dir), (std::vector<std::string>{"Larderon", "cookbook.html", "favourites.txt", "recipes.json",
                                                        "recipes.mmf", "recipes.zip"}));
}

TEST_F(export_recipes_test, an_empty_or_missing_index_gives_an_empty_export) {
    outcome none = run({"--favourites", "none.json"});
    fs::remove(collection / "favs.ldr");
    outcome missing = run({"--favourites", "missing.json"});
    for (const outcome& done : {none, missing}) EXPECT_EQ(done.status, 0) << done.err;
    EXPECT_EQ(missing.out, "Exported 0 recipes to missing.json.\n");
    EXPECT_EQ(read_whole_file("missing.json"), "[]\n");
}

TEST_F(export_recipes_test, mealmaster_units_titles_and_long_words_keep_to_the_columns) {
    recipe dish;
    dish.name = std::string(70, 'n');
    dish.ingredient_count = 5;
    dish.ingredients[1] = "2 cups flour";
    dish.ingredients[2] = "1 Tbsp. sugar";
    dish.ingredients[3] = "12345678 g salt";  // an amount too wide for its columns
    dish.ingredients[4] = "1 T oil";
    dish.ingredients[5] = std::string(40, 'w');
    dish.direction_count = 1;
    dish.directions[1] = "Stir. " + std::string(73, '-') + " MMMMM";  // the end line's marks where a line starts
    std::string text;
    append_mealmaster_recipe(text, dish);
    EXPECT_EQ(text,
              "MMMMM----- Recipe via Meal-Master (tm) v8.05\r\n\r\n"
              "      Title: " + std::string(60, 'n') + "\r\n"
              " Categories:\r\n\r\n"
              "      2 c  flour\r\n"
              "      1 tb sugar\r\n"
              "           12345678 g salt\r\n"
              "      1 T  oil\r\n"
              "           " + std::string(28, 'w') + "\r\n"
              "           -" + std::string(12, 'w') + "\r\n"
              "\r\nStir.\r\n " + std::string(73, '-') + "\r\n MMMMM\r\n"
              "\r\nMMMMM\r\n\r\n");
    EXPECT_EQ(mealmaster_unit("Pounds"), "lb");
    EXPECT_EQ(mealmaster_unit("t"), "t");
    EXPECT_EQ(mealmaster_unit("handful"), "");
}

TEST_F(export_recipes_test, folder_names_are_one_safe_path_component) {
    EXPECT_EQ(folder_name_of("Oil/Vinegar\\Dressing"), "Oil_Vinegar_Dressing");
    EXPECT_EQ(folder_name_of(".."), "_.");
    EXPECT_EQ(folder_name_of(" ../a...b "), "_._a._.b");
    EXPECT_EQ(folder_name_of("Tab\there\x7f\xc2\x85"), "Tab_here__");
    EXPECT_EQ(folder_name_of("   "), "Recipe");
    const std::string long_name = std::string(199, 'a') + "\xc3\xa9";  // é across the limit
    EXPECT_EQ(folder_name_of(long_name), std::string(199, 'a'));
}

TEST_F(export_recipes_test, wrong_command_lines_end_with_status_2_and_write_nothing) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"a.json", "b.json"}, {"--pdf", "a.json"}, {"--format", "pdf", "a.json"}, {"--format"},
             {"recipes.pdf"}, {"recipes"}}) {
        outcome done = run(args);
        EXPECT_EQ(done.status, 2);
        EXPECT_NE(done.err.find("Usage: export-recipes [--favourites] [--format json|nextcloud|mealmaster|html] OUT"),
                  std::string::npos);
        EXPECT_EQ(done.out, "");
    }
    EXPECT_EQ(run({"recipes.pdf"}).err,
              "export-recipes: the ending of recipes.pdf names no format; give --format\n"
              "Usage: export-recipes [--favourites] [--format json|nextcloud|mealmaster|html] OUT\n");
    EXPECT_EQ(names_in(dir), std::vector<std::string>{"Larderon"});
}

TEST_F(export_recipes_test, a_missing_recipe_file_is_named_and_the_rest_exported) {
    fs::remove(collection / "water.rcp");
    fs::remove(collection / "salad.rcp");
    fs::create_directory(collection / "salad.rcp");  // unreadable: a directory
    outcome done = run({"cookbook.html"});
    EXPECT_EQ(done.status, 1);
    EXPECT_EQ(done.err, collection.string() + "/salad.rcp could not be read (Is a directory): Big Salad Niçoise was left out.\n" +
                            collection.string() + "/water.rcp could not be read (No such file or directory): Plain Water was left out.\n");
    EXPECT_EQ(done.out, "Exported 3 recipes to cookbook.html.\n");
    const std::string book = read_whole_file("cookbook.html");
    EXPECT_NE(book.find("<h2>Apple &quot;Pie&quot;</h2>"), std::string::npos);
    EXPECT_NE(book.find("<article class=\"recipe\" id=\"recipe-4\">\n<h2>Plain Water</h2>\n"
                        "<p class=\"about\">The recipe file water.rcp could not be read.</p>\n</article>\n"
                        "<article class=\"recipe\" id=\"recipe-5\">"),
              std::string::npos);
}

TEST_F(export_recipes_test, a_failed_write_leaves_an_old_file_as_it_was_and_no_temporary_file) {
    for (const char* name : {"recipes.json", "recipes.zip", "recipes.mmf", "cookbook.html"}) {
        write_whole_file(name, "old");
        outcome done;
        {
            file_size_limit full(2000);
            done = run({name});
        }
        EXPECT_EQ(done.status, 1) << name;
        EXPECT_EQ(done.err, std::string(name) + " could not be written: File too large. Nothing was exported.\n");
        EXPECT_EQ(done.out, "");
        EXPECT_EQ(read_whole_file(name), "old");
        fs::remove(name);
        EXPECT_EQ(names_in(dir), std::vector<std::string>{"Larderon"}) << name;
    }
    // Nothing at OUT when OUT's folder does not exist.
    outcome nowhere = run({"gone/recipes.json"});
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_EQ(nowhere.err, "gone/recipes.json could not be written: No such file or directory. Nothing was exported.\n");
}

TEST_F(export_recipes_test, json_reads_back_as_the_same_recipe_files) {
    ASSERT_EQ(run({"recipes.json"}).status, 0);
    EXPECT_EQ(imported((dir / "recipes.json").string()), recipe_files_of(collection));
}

TEST_F(export_recipes_test, nextcloud_zip_reads_back_as_the_same_recipe_files) {
    ASSERT_EQ(run({"recipes.zip"}).status, 0);
    EXPECT_EQ(imported((dir / "recipes.zip").string()), recipe_files_of(collection));
}

TEST_F(export_recipes_test, mealmaster_reads_back_as_the_same_fields_but_a_title_cut_to_60) {
    ASSERT_EQ(run({"recipes.mmf"}).status, 0);
    std::vector<std::string> expected;
    for (std::string bytes : recipe_files_of(collection)) {
        const std::string long_title = "Oil/Vinegar ../Dressing for a Summer Salad of Green Leaves and Herbs";
        if (size_t at = bytes.find(long_title); at != std::string::npos) bytes.erase(at + 60, long_title.size() - 60);
        expected.push_back(bytes);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(imported((dir / "recipes.mmf").string()), expected);
}
