// The recipe exporter with the scripted save dialog and message box.
#include <filesystem>

#include "screens/screens.h"
#include "tests/browser_fixture.h"
#include "tests/file_size_limit.h"

namespace {

namespace fs = std::filesystem;

const std::string soup = recipe_text("Soup", "Ann", "Home, garden", "Hot and thick", 4, {"2 leeks", "salt, to taste"},
                                     {"Chop.", "Boil, then stir."});
const std::string soup_text =
    "Soup by Ann\r\nFrom: Home, garden   Serves: 4\r\n-----------------------------\r\nHot and thick\r\n\r\n"
    "Ingredients:\r\n\r\n2 leeks\r\nsalt, to taste\r\n\r\nDirections:\r\n\r\nChop.\r\nBoil, then stir.\r\n";

class exporter : public list_screen_test {
protected:
    void SetUp() override {
        list_screen_test::SetUp();
        write_whole_file("1.rcp", soup);
        set_window_title("Browsing Recipes");
    }
    std::string out(const std::string& name) const { return (dir / name).string(); }
    static std::string message() {
        const auto& d = script::dialogs();
        return d.empty() || d.back().kind != "message" ? "" : d.back().text;
    }
    static void expect_menu_window() {
        EXPECT_TRUE(script::window().open);
        EXPECT_EQ(script::window().width, 250);
        EXPECT_EQ(script::window().height, 450);
        EXPECT_EQ(screen().columns, 30);
        EXPECT_EQ(screen().rows, 27);
    }
};

TEST_F(exporter, text_export_writes_the_recipe_laid_out_with_the_window_closed_meanwhile) {
    script::answer_save_dialog(out("soup"), 1);
    export_recipe("1.rcp");
    EXPECT_EQ(read_whole_file("soup.txt"), soup_text);
    const auto& d = script::dialogs();
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0].kind, "save");
    EXPECT_EQ(d[0].title, "Save As");
    ASSERT_EQ(d[0].filters.size(), 2u);
    EXPECT_EQ(d[0].filters[0].label, "Plain Text File (*.txt)");
    EXPECT_EQ(d[0].filters[0].pattern, "*.txt");
    EXPECT_EQ(d[0].filters[1].label, "Morvane Recipe File (*.rcp)");
    EXPECT_EQ(d[0].filters[1].pattern, "*.rcp");
    EXPECT_FALSE(d[0].window_open);
    EXPECT_EQ(d[1].title, "LDR Info");
    EXPECT_EQ(d[1].text, "Recipe saved!");
    EXPECT_FALSE(d[1].window_open);
    expect_menu_window();
    EXPECT_EQ(script::window().title, "Recipe Exporter");
}

TEST_F(exporter, a_recipe_without_ingredients_and_with_no_servings) {
    write_whole_file("2.rcp", recipe_text("Tea", "", "", "", 0, {}, {"Steep."}));
    script::answer_save_dialog(out("tea.txt"), 1);
    export_recipe("2.rcp");
    EXPECT_EQ(read_whole_file("tea.txt"),
              "Tea by \r\nFrom:    Serves: 0\r\n-----------------------------\r\n\r\n\r\nIngredients:\r\n\r\n\r\n"
              "Directions:\r\n\r\nSteep.\r\n");
}

TEST_F(exporter, the_filter_in_force_decides_the_extension_and_the_kind) {
    struct {
        std::string typed;
        int filter;
        std::string written;
        bool as_text;
    } cases[] = {
        {"notes", 1, "notes.txt", true},         {"a.TXT", 1, "a.TXT", true},
        {"notes.rcp", 1, "notes.rcp.txt", true}, {"dish", 2, "dish.rcp", false},
        {"dish.txt", 2, "dish.txt.rcp", false},  {"b.RcP", 2, "b.RcP", false},
        {"odd", 7, "odd.txt", true},
    };
    for (const auto& c : cases) {
        script::answer_save_dialog(out(c.typed), c.filter);
        export_recipe("1.rcp");
        EXPECT_EQ(read_whole_file(c.written), c.as_text ? soup_text : soup) << c.typed;
        EXPECT_EQ(message(), "Recipe saved!") << c.typed;
    }
    EXPECT_FALSE(fs::exists("notes.rcp"));
    EXPECT_FALSE(fs::exists("dish"));
}

TEST_F(exporter, cancel_writes_nothing_and_says_not_saved) {
    script::cancel_save_dialog();
    export_recipe("1.rcp");
    EXPECT_EQ(message(), "Recipe Not Saved!");
    EXPECT_EQ(script::dialogs().size(), 2u);
    expect_menu_window();
}

TEST_F(exporter, a_name_the_extension_made_is_asked_about_before_it_is_replaced) {
    write_whole_file("soup.txt", "mine");
    script::answer_save_dialog(out("soup"), 1);
    script::answer_question(false);  // No: the dialog again
    script::answer_save_dialog(out("soup"), 1);
    script::answer_question(true);
    export_recipe("1.rcp");
    EXPECT_EQ(read_whole_file("soup.txt"), soup_text);
    const auto& d = script::dialogs();
    ASSERT_EQ(d.size(), 5u);
    EXPECT_EQ(d[1].kind, "question");
    EXPECT_EQ(d[1].title, "LDR Info");
    EXPECT_NE(d[1].text.find(out("soup.txt")), std::string::npos);
    EXPECT_EQ(d[2].kind, "save");

    // A name typed whole was asked about by the dialog itself.
    script::answer_save_dialog(out("soup.txt"), 1);
    export_recipe("1.rcp");
    EXPECT_EQ(script::dialogs().size(), 7u);
}

TEST_F(exporter, failures_are_reported_and_leave_nothing_behind) {
    // The target's directory is missing, for a text and for a copy.
    script::answer_save_dialog(out("none/soup"), 1);
    export_recipe("1.rcp");
    EXPECT_EQ(message(), "Recipe Not Saved!");
    script::answer_save_dialog(out("none/soup"), 2);
    export_recipe("1.rcp");
    EXPECT_EQ(message(), "Recipe Not Saved!");

    // A missing recipe file gives no empty template.
    script::answer_save_dialog(out("gone"), 1);
    export_recipe("gone.rcp");
    EXPECT_EQ(message(), "Recipe Not Saved!");
    EXPECT_FALSE(fs::exists("gone.txt"));

    // A double quote can't be carried by the copy line.
    script::answer_save_dialog(out("a\"b"), 2);
    export_recipe("1.rcp");
    EXPECT_EQ(message(), "Recipe Not Saved!");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    // A write that fails when the file is closed.
    script::answer_save_dialog(out("big"), 1);
    {
        file_size_limit limit(20);
        export_recipe("1.rcp");
    }
    EXPECT_EQ(message(), "Recipe Not Saved!");
    EXPECT_FALSE(fs::exists("big.txt"));
    expect_menu_window();
}

TEST_F(exporter, a_file_name_outside_the_directory_is_refused_without_a_dialog) {
    for (const std::string name : {"", "/etc/passwd", "../1.rcp", "a/../../1.rcp"}) {
        export_recipe(name);
        EXPECT_EQ(message(), "Recipe Not Saved!") << name;
        EXPECT_EQ(script::dialogs().front().kind, "message");
    }
    expect_menu_window();
}

}  // namespace
