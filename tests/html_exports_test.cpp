#include <map>
#include <sstream>

#include "formats/format_list.h"
#include "import_recipes/import_tool.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

const fs::path data = LDR_TEST_DATA_DIR;

class html_exports_test : public larder_test {
protected:
    void SetUp() override {
        larder_test::SetUp();
        collection = dir / "Larderon";
        fs::create_directory(collection);
    }

    std::string import(const fs::path& file) {
        std::ostringstream out, err;
        EXPECT_EQ(import_recipes({file.string()}, {collection.string(), out, err, false}), 0);
        EXPECT_EQ(err.str(), "");
        fs::current_path(dir);
        return out.str();
    }

    fs::path collection;
};

}  // namespace

// Headings, spacers, notes, a yield in words, a link or a name as the
// source, missing parts; CR LF line ends and the head before <html>.
TEST_F(html_exports_test, a_copy_me_that_export_gives_exact_recipe_files) {
    EXPECT_EQ(import(data / "copy_me_that/recipes.html"), "Imported 3 recipes from 1 file into " + collection.string() +
                                                                ".\nWithout directions: 1 (Just a name)\n"
                                                                "Without ingredients: 1 (Just a name)\n"
                                                                "From Copy Me That 3.\n");
    EXPECT_EQ(collection_files(collection), collection_files(data / "copy_me_that/expected"));
}

// Empty paragraphs between steps, a range as the yield, a source address
// or name, notes, a <br> inside a step.
TEST_F(html_exports_test, a_recipe_keeper_export_gives_exact_recipe_files) {
    EXPECT_EQ(import(data / "recipe_keeper/recipes.html"), "Imported 2 recipes from 1 file into " + collection.string() +
                                                                 ".\nFrom Recipe Keeper 2.\n");
    EXPECT_EQ(collection_files(collection), collection_files(data / "recipe_keeper/expected"));
}

TEST_F(html_exports_test, each_export_is_told_from_a_web_page_and_a_utf16_page_is_read) {
    const auto format_of = [](std::string_view start) {
        const recipe_format* format = find_recipe_format(start, "recipes.html");
        return format ? std::string(format->name) : std::string("none");
    };
    EXPECT_EQ(format_of("<head><meta name=\"copymethat_class_id_version\" content=\"3\"></head><html>"), "Copy Me That");
    EXPECT_EQ(format_of("<html><div class=\"recipe-details\"><div itemprop=\"recipeDirections\">"), "Recipe Keeper");
    EXPECT_EQ(format_of("<html><div class=\"recipe-details\" itemscope itemtype=\"https://schema.org/Recipe\">"
                        "<div itemprop=\"recipeInstructions\">"),
              "web pages");
    EXPECT_EQ(format_of(std::string("\xFF\xFE<\0h\0t\0m\0l\0>\0", 14)), "web pages");
    EXPECT_EQ(format_of(std::string("\xFE\xFF\0[\0{\0}\0]", 10)), "schema.org JSON");

    std::string page = "\xFF\xFE";
    for (char c : std::string("<html><script type=\"application/ld+json\">{\"@type\":\"Recipe\",\"name\":\"Wide\"}</script>"))
        page += std::string{c, '\0'};
    write_whole_file(dir / "wide.html", page);
    import(dir / "wide.html");
    EXPECT_TRUE(read_whole_file(collection / "Wide1.rcp").starts_with("\"Wide\","));
}
