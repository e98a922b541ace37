// The recipe importer: takes a recipe file from elsewhere into the program's
// directory under a new name and adds it to the default recipe index, after
// a preview that the user confirms.
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "screens/picture_waits.h"
#include "screens/screens.h"
#include "shell/services.h"
#include "shell/text.h"
#include "storage/recipe.h"
#include "storage/recipe_index.h"

namespace {

constexpr uint32_t white = 0xFFFFFF;
constexpr uint32_t black = 0x000000;
constexpr uint32_t red = 0xFF0000;
constexpr int picture_top = 430;          // yes/no and continue pictures on the preview
constexpr int refusal_top = 400;          // continue picture on the menu window
constexpr uint64_t largest_file = 1 << 20;  // files are read whole; recipes are far smaller

void print_line(const std::string& text) { print_text(text, true); }

bool has_recipe_extension(const std::string& path) {
    const size_t start = path.size() < 3 ? 0 : path.size() - 3;
    return upper_case(path.substr(start)) == "RCP";
}

// Why the file can't be imported, if it can't: a quote would break the
// command line, anything but a plain file (a FIFO would block the read
// forever) or a huge one is not read. A missing file passes: it previews
// empty and its copy fails.
std::optional<std::string> file_refusal(const std::string& path) {
    if (path.find('"') != std::string::npos) return "its path holds a quote (\").";
    const path_info info = file_info(path);
    if (info.kind == path_kind::missing) return std::nullopt;
    if (info.kind != path_kind::regular) return "it is not a plain file.";
    if (info.size > largest_file) return "it is larger than 1 MB.";
    return std::nullopt;
}

// The refusal's lines where the cursor stands, in the colours in force, then
// the continue wait; the window stays as it is.
void refuse(const std::vector<std::string>& lines, const std::optional<image>& continue_picture) {
    for (const auto& line : lines) print_line(line);
    continue_wait(continue_picture, refusal_top);
    set_mouse(1, 1, -1);
}

void show_preview(const recipe& dish) {
    open_window(640, 480, 32);
    set_text_grid(80, 30);
    flood_fill(1, 1, white);
    set_colour(black, white);
    print_line(dish.name + "  by " + dish.author);
    print_line("From: " + dish.source + "   Serves: " + int_to_text(dish.servings));
    print_line(dish.description);
    print_line("-----------------------------");
    print_line("");
    print_line("Ingredients:");
    print_line("");
    for (int place = 1; place <= 2 && place <= dish.ingredient_count; ++place) print_line(dish.ingredients[place]);
    print_line("");
    print_line("Directions:");
    print_line("");
    for (int place = 1; place <= 2 && place <= dish.direction_count; ++place) print_line(dish.directions[place]);
    print_line("");
    print_line("");
    set_colour(red, -1);
    print_line("Does the above look correct?");
    print_line("This only shows the first 2 ingredients and lines,");
    print_line("but if they look wrong it's probaly not the correct format");
    set_colour(black, -1);
}

// The name part, then the clock's whole seconds, then ".rcp"; while that is
// taken it waits for the clock's next second.
std::string make_import_file_name(const std::string& recipe_name) {
    const std::string part = recipe_file_name_part(recipe_name);
    for (;;) {
        std::string name = part + int_to_text(static_cast<int64_t>(std::floor(timer_seconds()))) + ".rcp";
        // Anything of that name counts, even a file that can't be read or
        // a dangling link, so that the copy never replaces it.
        if (!path_exists(executable_dir() + "/" + name)) return name;
        pause(10);
    }
}

void reopen_menu_window() {
    open_window(250, 450, 32);
    set_text_grid(30, 27);
}

// Copies the file into the program's directory, files it in the index and
// only then, when the user asked for it, deletes the original, saying on
// screen how that went. The copy is a regular file holding the recipe's
// bytes also when path is a link; a delete removes the link, not its target.
void place_and_index(const std::string& path, const recipe& dish, const std::string& new_name, bool delete_original) {
    const std::string destination = executable_dir() + "/" + new_name;
    print_line("");
    if (run_command("copy \"" + path + "\" \"" + destination + "\"") != 0) {
        print_line("The recipe file could not be copied; nothing was imported.");
        return;
    }
    print_line("Updating Database...");
    print_line("This may take some time if you have a large database.");
    change_dir(executable_dir());
    if (add_to_default_index({dish.name, dish.author, dish.source, new_name}) < 0) {
        // No copy stays behind that no entry names; the name was free, so
        // the file is this import's own.
        delete_file(destination);
        print_line("Database could not be updated!");
        return;
    }
    print_line("Completed!");
    // A file that already lies in the program's directory, under any path,
    // may be named by an index entry: it stays.
    if (!delete_original || lies_in_directory(path, executable_dir())) return;
    delete_file(path);
    if (last_error() != 0) print_line("The original file could not be deleted.");
}

}  // namespace

void import_recipe(const std::string& path) {
    set_window_title("Recipe Importer");
    const std::vector<std::optional<image>> pictures = load_data_pictures({"cont.jpg", "yn.jpg"});
    const std::optional<image>& continue_picture = pictures[0];
    const std::optional<image>& yes_no_picture = pictures[1];

    if (!has_recipe_extension(path)) {
        refuse({"Can only import", "recipe files with", "the 'RCP' extension"}, continue_picture);
        return;
    }
    if (std::optional<std::string> reason = file_refusal(path)) {
        refuse({"Can't import this file:", *reason}, continue_picture);
        return;
    }

    const recipe dish = read_recipe(path);
    close_file(0);
    show_preview(dish);
    if (!ask_yes_no(yes_no_picture, picture_top)) {
        reopen_menu_window();
        return;
    }

    const std::string new_name = make_import_file_name(dish.name);
    print_line("Delete original file?");
    const bool delete_original = ask_yes_no(yes_no_picture, picture_top);
    place_and_index(path, dish, new_name, delete_original);

    continue_wait(continue_picture, picture_top);
    set_mouse(1, 1, -1);
    reopen_menu_window();
}
