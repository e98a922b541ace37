// The recipe exporter: saves the recipe on show outside the database, as a
// plain text file for reading and printing or as a copy of its recipe file.
#include <string>
#include <vector>

#include "screens/screens.h"
#include "shell/services.h"
#include "shell/text.h"
#include "storage/recipe.h"

namespace {

const std::vector<file_filter> export_filters = {
    {"Plain Text File (*.txt)", "*.txt"},
    {"Morvane Recipe File (*.rcp)", "*.rcp"},
};

const std::string caption = "LDR Info";

std::string last_three_upper(const std::string& text) {
    return upper_case(text.size() <= 3 ? text : text.substr(text.size() - 3));
}

// The path from the save dialog with the chosen filter's extension added
// when it lacks it; empty when cancelled. The dialog asked about the typed
// name only, so a name the extension made is asked about here.
std::string save_file_dialog() {
    for (;;) {
        const save_choice choice = show_save_dialog("", export_filters);
        if (choice.path.empty()) return "";
        const bool recipe_kind = choice.filter == 2;  // any other filter counts as the first
        std::string path = choice.path;
        if (last_three_upper(path) != (recipe_kind ? "RCP" : "TXT")) path += recipe_kind ? ".rcp" : ".txt";
        if (path == choice.path || !path_exists(path) ||
            ask_question("A file named \"" + path + "\" already exists.\nDo you want to replace it?", caption))
            return path;
    }
}

bool export_text(const std::string& file_name, const std::string& target) {
    // A recipe file that can't be read would give an empty template.
    open_file(file_name, file_mode::input, 1);
    const bool readable = last_error() == 0;
    close_file(0);
    if (!readable) return false;
    const recipe dish = read_recipe(file_name);

    open_file(target, file_mode::output, 1);
    if (last_error() != 0) {
        close_file(0);
        return false;
    }
    auto line = [](const std::string& text) { print_to_file(1, text, true); };
    line(dish.name + " by " + dish.author);
    line("From: " + dish.source + "   Serves: " + int_to_text(dish.servings));
    line(std::string(29, '-'));
    line(dish.description);
    line("");
    line("Ingredients:");
    line("");
    for (int i = 1; i <= dish.ingredient_count; ++i) line(dish.ingredients[static_cast<size_t>(i)]);
    line("");
    line("Directions:");
    line("");
    for (int i = 1; i <= dish.direction_count; ++i) line(dish.directions[static_cast<size_t>(i)]);
    bool written = last_error() == 0;
    // The file is written when it is closed.
    close_file(1);
    return written && last_error() == 0;
}

// The copy command can't carry a double quote in either name.
bool export_copy(const std::string& file_name, const std::string& target) {
    if (file_name.find('"') != std::string::npos || target.find('"') != std::string::npos) return false;
    return run_command("copy \"" + file_name + "\" \"" + target + "\"") == 0;
}

}  // namespace

void export_recipe(const std::string& file_name) {
    set_window_title("Recipe Exporter");
    close_window();
    bool saved = false;
    if (is_safe_file_name(file_name)) {
        const std::string target = save_file_dialog();
        if (!target.empty()) {
            change_dir(executable_dir());
            saved = last_three_upper(target) == "TXT" ? export_text(file_name, target) : export_copy(file_name, target);
        }
    }
    show_message_box(saved ? "Recipe saved!" : "Recipe Not Saved!", caption);
    open_window(250, 450, 32);
    set_text_grid(30, 27);
}
