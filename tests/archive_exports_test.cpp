#include <algorithm>
#include <map>
#include <sstream>

#include "formats/archive.h"
#include "formats/export_fields.h"
#include "formats/json_fields.h"
#include "formats/markdown_text.h"
#include "import_recipes/import_tool.h"
#include "shell/collection_lock.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

const fs::path managers = fs::path(LDR_TEST_DATA_DIR) / "managers";

// Every file under a folder, by its path inside it, but a collection's lock file.
file_map files_under(const fs::path& folder) {
    file_map files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().filename() != collection_lock_name) files[fs::relative(entry.path(), folder).string()] = read_whole_file(entry.path());
    return files;
}

class archive_exports_test : public larder_test {
protected:
    struct outcome {
        int status;
        std::string out, err;
    };

    // Imports the files into a new, empty collection of this name.
    outcome run(const std::string& name, const std::vector<std::string>& files) {
        collection = dir / name;
        fs::create_directory(collection);
        std::ostringstream out, err;
        const int status =
            import_recipes(files, {collection.string(), out, err, false});
        fs::current_path(dir);
        return {status, out.str(), err.str()};
    }

    std::string summary(const std::string& counts, const std::string& rest) {
        return "Imported " + counts + " into " + collection.string() + ".\n" + rest;
    }

    fs::path collection;
};

}  // namespace

// Each sample holds the traps its format is known for: names decomposed and
// not marked UTF-8, "__MACOSX/" and ".DS_Store", CP437 names, zips inside
// zips, CRLF, a byte order mark, headings, empty fields, numbered steps,
// Markdown, a dummy quantity, ids with and without hyphens.
TEST_F(archive_exports_test, each_export_gives_exact_recipe_files_and_is_named_in_the_summary) {
    struct sample {
        std::string folder, counts, formats, errors;
        int status = 0;
    };
    const sample samples[] = {
        {"paprika", "3 recipes from 2 files", "From Paprika 3.\nPictures not kept: 1\n",
         "Paprika Export.paprikarecipes: My Recipes/G\u00e2teau.paprikarecipe: not gzip data\n"
         "Paprika Export.paprikarecipes: My Recipes/Caf\u00e9.paprikarecipe: not gzip data\n",
         1},
        {"nextcloud", "1 recipes from 1 file", "From Nextcloud Cookbook 1.\nPictures not kept: 1\n", ""},
        {"mealie", "2 recipes from 2 files", "From Mealie 2.\nPictures not kept: 1\n", ""},
        {"tandoor", "2 recipes from 1 file", "Without ingredients: 1 (Tandoor Bread)\nFrom Tandoor 2.\nPictures not kept: 1\n",
         ""},
        {"recipesage", "2 recipes from 1 file", "From RecipeSage 2.\n", ""},
        {"mela", "2 recipes from 1 file", "From Mela 2.\nPictures not kept: 1\n", ""},
    };
    for (const sample& each : samples) {
        SCOPED_TRACE(each.folder);
        fs::copy(managers / each.folder, each.folder, fs::copy_options::recursive);
        fs::remove_all(fs::path(each.folder) / "expected");
        std::vector<std::string> files;
        for (const auto& entry : fs::directory_iterator(each.folder)) files.push_back(entry.path().filename().string());
        std::sort(files.begin(), files.end());
        fs::current_path(each.folder);  // the tool takes paths from where it starts
        const outcome result = run(each.folder + "-collection", files);
        EXPECT_EQ(result.status, each.status);
        EXPECT_EQ(result.err, each.errors);
        EXPECT_EQ(result.out, summary(each.counts, each.formats));
        EXPECT_EQ(files_under(collection), files_under(managers / each.folder / "expected"));
    }
}

// A zip bomb, a zip nested too deep, a truncated zip, entry names that climb
// out of a folder: each bounded, named, nothing written but the collection,
// and the rest of the run imported.
TEST_F(archive_exports_test, hostile_archives_are_refused_with_a_note_and_the_rest_imported) {
    fs::copy(managers / "hostile", "hostile");
    const outcome result =
        run("collection", {"hostile/bomb.zip", "hostile/deep.zip", "hostile/paths.zip", "hostile/truncated.zip"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "hostile/bomb.zip: bomb.json: refused: an entry unpacks to more than 100 times its packed size\n"
              "hostile/deep.zip: level3.zip: level2.zip: level1.zip: refused: archives nested more than 3 deep\n"
              "hostile/truncated.zip: Truncated ZIP file header\n");
    // The entry named "../../escape.paprikarecipe" is read in memory like any other.
    EXPECT_EQ(result.out, summary("1 recipes from 2 files", "Skipped 1 already in the collection, 0 without a name.\n"
                                                            "From Paprika 2.\n"));
    // Nothing written but the collection: the recipe and the index.
    file_map written = files_under(dir);
    for (const auto& [name, bytes] : files_under(managers / "hostile")) written.erase("hostile/" + name);
    EXPECT_EQ(written.size(), 2u);
    EXPECT_TRUE(written.contains("collection/Safe Rice1.rcp"));
    EXPECT_TRUE(written.contains("collection/default.ldr"));
}

namespace {

// The labels of the documents read from a zip, then its notes.
std::vector<std::string> read_zip(const std::string& bytes) {
    write_whole_file("test.zip", bytes);
    std::vector<std::string> seen;
    const archive_report report = read_archive(
        "test.zip", [&](const std::string& label, std::string_view, std::string_view) {
            seen.push_back(label);
            return true;
        },
        [](uint64_t) {});
    seen.insert(seen.end(), report.notes.begin(), report.notes.end());
    return seen;
}

}  // namespace

// Larderon's own backup archive brings its recipe files into another
// collection as they are; its indexes are no recipes.
TEST_F(archive_exports_test, a_backup_archive_gives_its_recipe_files_as_they_are) {
    const std::string tea = "\"Mint Tea\",\"Ann\",\"Garden\"\r\n\"\",2\r\n1\r\n\"mint\"\r\n1\r\n\"Steep.\"\r\n";
    write_whole_file("ldr_backup.zip", zip_of({{"Mint Tea1.rcp", tea},
                                               {"default.ldr", "1\r\n\"Mint Tea\",\"Ann\",\"Garden\",\"Mint Tea1.rcp\"\r\n"}}));
    const outcome result = run("collection", {"ldr_backup.zip"});
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, summary("1 recipes from 1 file", "From Larderon 1.\n"));
    EXPECT_EQ(read_whole_file(collection / "Mint Tea1.rcp"), tea);
}

TEST_F(archive_exports_test, archive_limits_hold_at_their_edges) {
    const std::string three_deep = zip_of({{"b.zip", zip_of({{"c.zip", zip_of({{"r.json", "{}"}})}})}});
    EXPECT_EQ(read_zip(three_deep), (std::vector<std::string>{"b.zip: c.zip: r.json"}));
    EXPECT_EQ(read_zip(zip_of({{"a.zip", three_deep}})),
              (std::vector<std::string>{"a.zip: b.zip: c.zip: refused: archives nested more than 3 deep"}));

    // Told by its header, before a byte of it is unpacked.
    const std::string big = zip_of({{"big.json", std::string((64 << 20) + 1, ' ')}, {"r.json", "{}"}});
    EXPECT_EQ(read_zip(big), (std::vector<std::string>{"big.json: refused: it unpacks to more than 64 MB"}));

    std::vector<std::string> many = read_zip(zip_of({{".txt", ""}}, 100'001));
    ASSERT_EQ(many.size(), 100'001u);
    EXPECT_EQ(many.back(), "refused: it holds more than 100,000 entries");
}

TEST(archive_names, are_utf8_in_composed_form_whatever_the_zip_wrote) {
    EXPECT_EQ(entry_name_to_utf8("Cre\xCC\x80me.json"), "Cr\u00e8me.json");  // decomposed UTF-8
    EXPECT_EQ(entry_name_to_utf8("Caf\x82 \x81.json"), "Caf\u00e9 \u00fc.json");  // CP437
    EXPECT_EQ(entry_name_to_utf8("Caf\u00e9/\u00e9t\u00e9.json"), "Caf\u00e9/\u00e9t\u00e9.json");
}

TEST(markdown_text, gives_plain_lines_with_headings_as_titles) {
    EXPECT_EQ(markdown_lines("## Sauce ##\r\n\r\n1. Stir **well** and _slowly_.\n* Add [salt](https://x.org/s) "
                             "![a picture](p.jpg)\n---\n2 * 3 eggs, snake_case &amp; `more`\n> Done"),
              (std::vector<std::string>{"Sauce:", "Stir well and slowly.", "Add salt a picture",
                                        "2 * 3 eggs, snake_case & more", "Done"}));
    EXPECT_TRUE(markdown_lines("\n \n***\n").empty());
}

TEST(export_fields, ingredient_parts_are_joined_leaving_out_empty_and_zero) {
    EXPECT_EQ(joined_parts({amount_text(1.0), "cup", " rice ", ""}), "1 cup rice");
    EXPECT_EQ(joined_parts({amount_text(0), "", "salt"}), "salt");
    EXPECT_EQ(amount_text(0.3333333), "0.333");
    EXPECT_EQ(heading_line("Dressing"), "Dressing:");
    EXPECT_EQ(heading_line("Dressing:"), "Dressing:");
    EXPECT_EQ(plain_lines("a\u2028b\r\n\r\nc\u00a0 d"), (std::vector<std::string>{"a", "b", "c d"}));
    EXPECT_EQ(without_list_number("12. Bake"), "Bake");
    EXPECT_EQ(without_list_number("350 degrees"), "350 degrees");
}
