// The recipe editor: four optional stages, each opened by a yes/no question
// answered on a picture, then always a save of the recipe file and of its
// entry in the default recipe index.
#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string>

#include "screens/picture_waits.h"
#include "screens/screens.h"
#include "shell/services.h"
#include "shell/text.h"
#include "storage/recipe.h"
#include "storage/recipe_index.h"

namespace {

constexpr uint32_t white = 0xFFFFFF;
constexpr uint32_t black = 0x000000;

using item_list = std::array<std::string, max_recipe_items + 1>;

void print_line(const std::string& text) { print_text(text, true); }

// Keys typed while a picture waited for its click would fill the next
// prompt unseen: they are dropped.
void drop_typed_keys() {
    while (!read_key().empty()) {
    }
}

void print_lines(std::initializer_list<const char*> lines) {
    for (const char* text : lines) print_line(text);
}

bool ask(const std::optional<image>& yes_no, std::initializer_list<const char*> question) {
    clear_screen();
    print_lines(question);
    bool yes = ask_yes_no(yes_no);
    drop_typed_keys();
    return yes;
}

// The value typed after a field's prompt and current value, as read; empty
// when only blanks or nothing was typed, which keeps the field.
std::string read_new_value() {
    std::string typed = input_value(">", false, true);
    return trim_blanks(typed).empty() ? std::string() : typed;
}

void edit_text_field(std::string& field, std::initializer_list<const char*> prompt) {
    clear_screen();
    print_lines(prompt);
    print_line(field);
    std::string typed = read_new_value();
    if (!typed.empty()) field = typed;
}

void edit_servings(int32_t& servings) {
    clear_screen();
    print_lines({"Enter a new serving or", "push Enter to keep", "Current Servings:"});
    print_number(servings, true);
    std::string typed = read_new_value();
    if (typed.empty()) return;
    // Held at the ends of the 32-bit range instead of wrapping round.
    servings = static_cast<int32_t>(std::clamp<int64_t>(round_half_even(text_to_number(typed)),
                                                        std::numeric_limits<int32_t>::min(),
                                                        std::numeric_limits<int32_t>::max()));
}

struct list_texts {
    int page_size;
    bool add_shows_at_once;  // "A" first moves the page end on by a page
    const char* last_page[2];
    const char* more_items[2];
    const char* add_prompt;
    const char* edit_label;
};

const list_texts ingredient_texts = {
    10,
    false,
    {"Enter ingredient # to edit or 'A' to add one or 'B'", "to move back in list, push enter to exit"},
    {"Enter ingredient # to edit or 'F' to move forward or", "'B' to move back in list, push enter to exit"},
    "New ingredient:",
    "Current ingredient #",
};

const list_texts direction_texts = {
    5,
    true,
    {"Enter line # to edit or 'A' to add one or 'B'", "to move back in list, push enter to exit"},
    {"Enter line # to edit or 'F' to move forward or", "'B' to move back in list, push enter to exit"},
    "New line: (Leave blank to cancel)",
    "Current line #",
};

// The items from page_end - P + 1 (at least 1) to page_end, which is held
// at the count, and the lines that say what may be typed.
void show_page(const item_list& items, uint8_t count, int& page_end, const list_texts& texts) {
    clear_screen();
    page_end = std::min<int>(page_end, count);
    for (int i = std::max(1, page_end - texts.page_size + 1); i <= page_end; ++i)
        print_line(int_to_text(i) + ": " + items[static_cast<size_t>(i)]);
    print_line("");
    const char* const* hint = count == page_end ? texts.last_page : texts.more_items;
    print_line(hint[0]);
    print_line(hint[1]);
    print_line("");
}

// Adds one item at the end, asked for in a whole line; an empty line adds
// nothing. A full list takes none and shows its page again unasked.
void add_item(item_list& items, uint8_t& count, int& page_end, const list_texts& texts) {
    if (texts.add_shows_at_once) page_end += texts.page_size;
    if (count >= max_recipe_items) return;
    print_line(texts.add_prompt);
    std::string line = input_line(">", false, true);
    if (!line.empty()) items[++count] = line;
}

void delete_item(item_list& items, uint8_t& count, int place) {
    for (int i = place; i < count; ++i) items[static_cast<size_t>(i)] = items[static_cast<size_t>(i) + 1];
    items[count].clear();
    --count;
}

// Item numbers outside 1..count are refused: the page shows again.
void edit_item(item_list& items, uint8_t& count, const std::string& command, const list_texts& texts) {
    const double typed = text_to_number(command);
    const int64_t place = round_half_even(typed);
    if (place < 1 || place > count) return;
    print_line(texts.edit_label + double_to_text(typed) + ":");
    print_line(items[static_cast<size_t>(place)]);
    print_line("New: (D) to Delete");
    std::string line = input_line(">", false, true);
    if (line.empty()) return;
    if (upper_case(line) == "D")
        delete_item(items, count, static_cast<int>(place));
    else
        items[static_cast<size_t>(place)] = line;
}

// The paged list on the 640x480 screen, until an empty command.
void edit_list(item_list& items, uint8_t& count, const list_texts& texts) {
    open_window(640, 480, 32);
    set_text_grid(80, 30);
    flood_fill(1, 1, white);
    set_colour(black, white);
    int page_end = texts.page_size;
    for (;;) {
        show_page(items, count, page_end, texts);
        const std::string command = upper_case(input_value(">", false, true));
        if (command.empty()) return;
        if (command == "A") {
            if (count == page_end) add_item(items, count, page_end, texts);
        } else if (command == "F") {
            page_end += texts.page_size;
        } else if (command == "B") {
            page_end = std::max(texts.page_size, page_end - texts.page_size);
        } else {
            edit_item(items, count, command, texts);
        }
    }
}

bool read_working_copy(const std::string& file_name, recipe& working) {
    if (!is_safe_file_name(file_name)) return false;
    working = read_recipe(file_name);
    return last_error() == 0;
}

void open_menu_window() {
    open_window(250, 450, 32);
    set_text_grid(30, 27);
}

// The message and its continue wait, then the pointer out of the way.
void finish(const std::optional<image>& continue_picture) {
    continue_wait(continue_picture);
    clear_screen();
    set_mouse(1, 1, -1);
}

void save(const std::string& file_name, const recipe& working) {
    open_menu_window();
    print_lines({"Saving Changes...", "Please wait while", "the database is", "updated."});
    const bool index_saved = update_default_entry({working.name, working.author, working.source, file_name});
    print_line(index_saved ? "Database updated." : "Database could not be updated!");
    print_line("Saving recipe...");
    // The copy line is split at quotes: a name holding one would name
    // other files.
    if (file_name.find('"') == std::string::npos)
        run_command("copy \"" + file_name + "\" \"" + file_name + ".bak\"");
    write_recipe(file_name, working);
    print_line(last_error() == 0 ? "Recipe Saved!" : "Recipe could not be saved!");
}

}  // namespace

void edit_recipe(std::string file_name) {
    set_window_title("Recipe Editor");
    const auto pictures = load_data_pictures({"yn.jpg", "cont.jpg"});
    const std::optional<image>& yes_no = pictures[0];
    const std::optional<image>& continue_picture = pictures[1];

    recipe working;
    // Saving a recipe that could not be read would write an empty one there.
    if (!read_working_copy(file_name, working)) {
        clear_screen();
        print_line("Recipe could not be read!");
        finish(continue_picture);
        return;
    }

    if (ask(yes_no, {"Edit Title, Author", "or Source?"})) {
        edit_text_field(working.name, {"Enter a new title or", "push Enter to keep", "Current Title:"});
        edit_text_field(working.author, {"Enter a new Author or", "push Enter to keep", "Current Author:"});
        edit_text_field(working.source, {"Enter a new source or", "push Enter to keep", "Current source:"});
    }
    if (ask(yes_no, {"Would you like to edit", "the description or servings", "of the recipe?"})) {
        edit_text_field(working.description,
                        {"Enter a new description", "or push Enter to keep", "Current description:"});
        edit_servings(working.servings);
    }
    if (ask(yes_no, {"Would you like to edit", "the ingredient list of", "the recipe?"})) {
        edit_list(working.ingredients, working.ingredient_count, ingredient_texts);
        open_menu_window();
    }
    if (ask(yes_no, {"Would you like to edit", "the directions of", "the recipe?"}))
        edit_list(working.directions, working.direction_count, direction_texts);

    save(file_name, working);
    finish(continue_picture);
}
