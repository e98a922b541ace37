#include <map>
#include <sstream>

#include "formats/csv.h"
#include "formats/format_list.h"
#include "formats/gourmet.h"
#include "formats/krecipes.h"
#include "formats/mastercook.h"
#include "import_recipes/import_tool.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

const fs::path samples = fs::path(LDR_TEST_DATA_DIR) / "managers";
const char* const sample_folders[] = {"chowdown", "cooklang", "gourmet", "krecipes", "mastercook",
                                      "my_cookbook", "my_recipe_box", "plan_to_eat", "rezkonv"};

// Every text of a result, end to end.
std::string all_text(const read_result& result) {
    std::string text;
    for (const found_recipe& recipe : result.recipes) {
        text += recipe.name + recipe.author + recipe.source + recipe.description;
        for (const std::string& line : recipe.ingredients) text += line;
        for (const std::string& line : recipe.directions) text += line;
    }
    return text;
}

class managers_test : public larder_test {};

}  // namespace

// Each sample of another recipe manager's export, with the traps its format
// is known for, becomes exactly the expected recipe files.
TEST_F(managers_test, every_export_sample_becomes_exact_recipe_files) {
    const fs::path collection = dir / "Larderon";
    fs::create_directory(collection);
    std::vector<std::string> args;
    for (const char* folder : sample_folders) args.push_back((samples / folder).string());
    std::ostringstream out, err;
    const int status = import_recipes(args, {collection.string(), out, err, false});
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out.str(), "Imported 21 recipes from 12 files into " + collection.string() +
                             ".\nWithout ingredients: 3 (Empty Pot, Porridge, Oat Cookies)\n"
                             "From Chowdown 2, from Cooklang 2, from Gourmet 2, from KRecipes 1, from MasterCook 4, "
                             "from MyCookbook 2, from My Recipe Box 4, from Plan to Eat 2, from RezKonv 2.\n");
    EXPECT_EQ(collection_files(collection), collection_files(samples / "expected"));
}

// MyCookbook exports a zip of its XML and the pictures under images/: the
// recipes come out as from the XML alone, the picture is counted.
TEST_F(managers_test, a_my_cookbook_zip_gives_the_recipes_of_its_xml) {
    const std::string xml = read_whole_file(samples / "my_cookbook/My_cookbook2021_05_01_10_00_00.xml");
    write_whole_file("cookbook.mcb", zip_of({{"My_cookbook2021_05_01_10_00_00.xml", xml},
                                             {"images/brownies.jpg", "\xFF\xD8\xFF\xE0 a made-up picture"}}));
    const fs::path collection = dir / "Larderon";
    fs::create_directory(collection);
    std::ostringstream out, err;
    EXPECT_EQ(import_recipes({"cookbook.mcb"}, {collection.string(), out, err, false}), 0);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(out.str(), "Imported 2 recipes from 1 file into " + collection.string() +
                             ".\nFrom MyCookbook 2.\nPictures not kept: 1\n");
    const file_map files = collection_files(collection);
    EXPECT_EQ(files.size(), 3u);
    EXPECT_EQ(files.at("default.ldr"), "2\r\n\"Fudge Brownies\",\"\",\"Angie\",\"Fudge Brownies1.rcp\"\r\n"
                                       "\"Iced Tea\",\"\",\"\",\"Iced Tea1.rcp\"\r\n");
    for (const char* name : {"Fudge Brownies1.rcp", "Iced Tea1.rcp"}) {
        ASSERT_TRUE(files.contains(name)) << name;
        EXPECT_EQ(files.at(name), read_whole_file(samples / "expected" / name)) << name;
    }
}

TEST(managers, each_sample_is_recognised_as_its_format) {
    const std::map<std::string, std::string_view> formats = {
        {"chowdown/peanut-noodles.md", "Chowdown"},
        {"cooklang/Lemon Rice.cook", "Cooklang"},
        {"gourmet/recipes.grmt", "Gourmet"},
        {"krecipes/recipes.kreml", "KRecipes"},
        {"mastercook/rice and bread.mxp", "MasterCook"},
        {"mastercook/soups.mx2", "MasterCook"},
        {"my_cookbook/My_cookbook2021_05_01_10_00_00.xml", "MyCookbook"},
        {"my_recipe_box/recipes.csv", "My Recipe Box"},
        {"plan_to_eat/plan_to_eat_recipes.csv", "Plan to Eat"},
        {"rezkonv/kochbuch.txt", "RezKonv"}};
    for (const auto& [file, name] : formats) {
        std::string start = read_whole_file(samples / file);
        if (start.starts_with("\xEF\xBB\xBF")) start.erase(0, 3);
        // Renamed, a .cook file is still known by its markup.
        const recipe_format* format = find_recipe_format(start, "renamed.txt");
        ASSERT_NE(format, nullptr) << file;
        EXPECT_EQ(format->name, name) << file;
    }
}

TEST(managers, csv_fields_hold_commas_quotes_and_line_breaks) {
    EXPECT_EQ(read_csv("a,\"b, \"\"c\"\"\r\nd\",\r\n\"e\"\"\",f\n,\nlast"),
              (std::vector<csv_row>{{"a", "b, \"c\"\r\nd", ""}, {"e\"", "f"}, {"", ""}, {"last"}}));
    EXPECT_EQ(read_csv(""), std::vector<csv_row>{});
    // A quote left open runs to the end rather than losing the text.
    EXPECT_EQ(read_csv("x,\"open\nstill"), (std::vector<csv_row>{{"x", "open\nstill"}}));
    const csv_header header{{"title", "", "source"}};
    EXPECT_EQ(header.field({"Tea", "pic", "Mum"}, "source"), "Mum");
    EXPECT_EQ(header.field({"Tea", "pic"}, "source"), "");
    EXPECT_EQ(header.field({"Tea"}, "notes"), "");
}

// Entities nested to expand to gigabytes are left unexpanded: the file is
// refused as it stands, at once and in little memory.
TEST(managers, an_xml_billion_laughs_stays_small) {
    const read_result result = read_gourmet(read_whole_file(samples / "hostile/laughs.grmt"), "laughs.grmt");
    EXPECT_LT(all_text(result).size(), 1000u);
    EXPECT_EQ(result.notes.size() + result.recipes.size(), 1u);
}

// An entity naming a file or a web address outside the document is never
// fetched.
TEST(managers, xml_entities_outside_the_document_are_not_read) {
    const std::string secret = "file://" + (samples / "hostile/secret.txt").string();
    const std::string xml = "<?xml version=\"1.0\"?>\n<!DOCTYPE krecipes [\n<!ENTITY secret SYSTEM \"" + secret +
                            "\">\n<!ENTITY remote SYSTEM \"http://127.0.0.1:9/x\">\n]>\n<krecipes><krecipes-recipe>"
                            "<krecipes-description><title>Leak &secret;&remote;</title></krecipes-description>"
                            "<krecipes-instructions>&secret;</krecipes-instructions></krecipes-recipe></krecipes>";
    const read_result result = read_krecipes(xml, "leak.kreml");
    ASSERT_EQ(result.recipes.size(), 1u);
    EXPECT_EQ(result.recipes[0].name, "Leak");
    EXPECT_EQ(all_text(result).find("SECRET"), std::string::npos);
}

TEST(managers, a_broken_xml_file_is_named_and_read_up_to_its_fault) {
    const read_result result = read_mastercook_xml("<mx2><RcpE name=\"Half\">", "half.mx2");
    EXPECT_TRUE(result.recipes.empty());
    EXPECT_EQ(result.notes, std::vector<std::string>{"not well-formed XML; nothing read from it."});
    // The recipes read before a fault are kept (the parser reads ahead, so
    // not quite all that come before it).
    std::string xml = "<mx2>";
    for (int i = 0; i < 2000; ++i) xml += "<RcpE name=\"Whole\"/>\n";
    const read_result cut = read_mastercook_xml(xml + "<RcpE name=\"Cut\"><IngR></mx2>", "cut.mx2");
    EXPECT_GT(cut.recipes.size(), 1000u);
    EXPECT_LE(cut.recipes.size(), 2000u);
    EXPECT_EQ(cut.notes, std::vector<std::string>{"not well-formed XML; read up to the fault only."});
}

// A file that cannot be read is named with why, the run ends with status 1,
// and the other files' recipes are still imported.
TEST_F(managers_test, a_hostile_file_is_named_and_the_rest_imported) {
    const fs::path collection = dir / "Larderon";
    fs::create_directory(collection);
    fs::create_directory("exports");
    fs::copy_file(samples / "hostile/laughs.grmt", "exports/laughs.grmt");
    fs::copy_file(samples / "krecipes/recipes.kreml", "exports/recipes.kreml");
    std::ostringstream out, err;
    const int status = import_recipes({"exports"}, {collection.string(), out, err, false});
    EXPECT_EQ(status, 1);
    EXPECT_EQ(err.str(), "exports/laughs.grmt: not well-formed XML; nothing read from it.\n");
    EXPECT_EQ(out.str(), "Imported 1 recipes from 1 file into " + collection.string() +
                             ".\nFrom KRecipes 1.\n");
    EXPECT_EQ(read_whole_file(collection / "Gazpacho1.rcp"), read_whole_file(samples / "expected/Gazpacho1.rcp"));
}
