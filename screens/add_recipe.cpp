// The add recipe wizard: asks for a new recipe question by question on the
// 640x480 text screen, saves it as a new recipe file and adds it to the
// default recipe index.
#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <string>

#include "screens/screens.h"
#include "shell/services.h"
#include "shell/text.h"
#include "storage/recipe.h"
#include "storage/recipe_index.h"

namespace {

constexpr uint32_t white = 0xFFFFFF;
constexpr uint32_t black = 0x000000;

void print_line(const std::string& text) { print_text(text, true); }
void print_blank_line() { print_text("", true); }

std::string ask_value() { return input_value(">", false, true); }

// A yes/no answer counts by its first character, upper-cased.
bool answer_is(const std::string& answer, char letter) {
    return !answer.empty() && upper_case(answer.substr(0, 1))[0] == letter;
}

// Any key ends the wait; the key is not used otherwise.
void wait_any_key() {
    while (read_key().empty()) pause(25);
}

// Texts are held from place 1 on; the count runs up to the first empty place.
uint8_t count_up_to_first_empty(const std::array<std::string, max_recipe_items + 1>& places) {
    uint8_t count = 0;
    while (count < max_recipe_items && !places[count + 1].empty()) ++count;
    return count;
}

void print_place_prompt(uint8_t place) {
    print_text("#", false);
    print_number(place, false);
    print_text(">", false);
}

// Servings is a signed 32-bit number; a typed number beyond that range is
// held at its end instead of wrapping round to some other value.
int32_t ask_servings() {
    int64_t typed = input_number(">", false, true);
    return static_cast<int32_t>(std::clamp<int64_t>(typed, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// The name and its confirmation; an empty name means go back.
std::string ask_name() {
    for (;;) {
        print_line("Enter the name of the recipe or nothing to go back.");
        std::string name = ask_value();
        if (name.empty()) return name;
        print_line("Is " + name + " correct (Y/N)?");
        if (!answer_is(ask_value(), 'N')) return name;
    }
}

void ask_author_source_servings(recipe& entered) {
    for (;;) {
        print_blank_line();
        print_line("Who is the author of this recipe?");
        entered.author = ask_value();
        print_blank_line();
        print_line("What is the source of this recipe?");
        print_line("i.e. Name of Cookbook from or Family recipe");
        entered.source = ask_value();
        print_blank_line();
        print_line("How many servings does this recipe yield?");
        entered.servings = ask_servings();

        print_line("Is this correct (Y/N)?");
        print_line("Author: " + entered.author);
        print_line("Source: " + entered.source);
        print_text("Serves: ", false);
        print_number(entered.servings, true);
        if (!answer_is(ask_value(), 'N')) return;
    }
}

void ask_description(recipe& entered) {
    print_blank_line();
    print_line("Now enter a short description of the recipe (optional)");
    print_line("i.e. Wonderful lasagna with a country taste");
    entered.description = ask_value();
}

void ask_ingredients(recipe& entered) {
    for (;;) {
        print_blank_line();
        print_line("Ok, now let's get the ingredients. Enter them one at a time");
        print_line("and leave blank when you are finished. There is a maximum of 50 ingredients.");
        uint8_t place = 1;
        for (;;) {
            print_blank_line();
            print_place_prompt(place);
            entered.ingredients[place] = input_line("", false, true);
            if (entered.ingredients[place].empty()) break;
            if (++place > max_recipe_items) break;
        }
        if (place > 1) break;  // at least one ingredient is needed
    }
    entered.ingredient_count = count_up_to_first_empty(entered.ingredients);
}

void show_ingredients_for_review(const recipe& entered) {
    clear_screen();
    print_line("Reviewing Ingredients");
    print_blank_line();
    for (int place = 1; place <= entered.ingredient_count; ++place) {
        print_text("Ingredient #", false);
        print_number(static_cast<int32_t>(place), false);
        print_line(": " + entered.ingredients[place]);
        if (place == 21 || place == 36) {
            print_line("Push Any Key to Continue");
            wait_any_key();
        }
    }
    print_blank_line();
    print_line("Push Any Key to Continue");
    wait_any_key();
}

// Numbers above the list's 50 places are refused and asked again; the count
// stays as it was, whatever is re-entered.
void edit_ingredients(recipe& entered) {
    for (;;) {
        print_blank_line();
        print_line("If you would like to edit an ingredient,");
        print_line("enter its number here. Press enter to continue");
        int64_t number = input_number(">", false, true);
        if (number == 0) return;
        if (number < 0 || number > max_recipe_items) continue;
        print_line(entered.ingredients[number]);
        print_line("Re-enter ingredient #" + int_to_text(number));
        entered.ingredients[number] = input_line(">", false, true);
    }
}

void review_ingredients(recipe& entered) {
    print_line("Would you like to review the ingredients for errors?");
    if (!answer_is(ask_value(), 'Y')) return;
    show_ingredients_for_review(entered);
    edit_ingredients(entered);
}

void ask_directions(recipe& entered) {
    for (;;) {
        print_blank_line();
        print_line("Ok, now its time to enter then directions. You should");
        print_line("try to keep one sentence per line. Be aware there is");
        print_line("a limit of 50 lines, but there is no limit to how long");
        print_line("a line may be.");
        print_line("Push Enter when you are finished.");
        print_blank_line();
        uint8_t place = 1;
        for (;;) {
            print_place_prompt(place);
            entered.directions[place] = input_line("", false, true);
            if (entered.directions[place].empty()) break;
            if (answer_is(input_value("<Edit y/N>", false, true), 'Y')) {
                print_place_prompt(place);
                entered.directions[place] = input_line("", false, true);
            }
            if (++place > max_recipe_items) break;
        }
        if (place > 1) break;  // at least one line is needed
    }
    entered.direction_count = count_up_to_first_empty(entered.directions);
}

// Writes the recipe file and its index entry, saying on screen how each went.
void save(const recipe& entered) {
    print_blank_line();
    print_blank_line();
    print_line("Saving Recipe...");
    const std::string file_name = make_recipe_file_name();
    write_recipe(file_name, entered);
    if (last_error() != 0) {
        // Without its file the recipe must not be listed in the index.
        print_line("Recipe could not be saved!");
        return;
    }
    print_line("Recipe Saved Successfully!");
    print_blank_line();
    print_line("Updating Database...");
    print_line("This may take some time if you have a large database.");
    const int count = add_to_default_index({entered.name, entered.author, entered.source, file_name});
    print_line(count >= 0 ? "Completed!" : "Database could not be updated!");
}

void reopen_menu_window() {
    open_window(250, 450, 32);
    set_text_grid(30, 27);
}

}  // namespace

void add_recipe() {
    clear_screen();
    open_window(640, 480, 32);
    set_window_title("Larderon - Add Recipe");
    set_text_grid(80, 30);
    flood_fill(1, 1, white);
    set_colour(black, white);
    print_line("Okay, let's get started with a new recipe.");

    recipe entered;
    entered.name = ask_name();
    if (entered.name.empty()) {
        reopen_menu_window();
        return;
    }
    ask_author_source_servings(entered);
    ask_description(entered);
    ask_ingredients(entered);
    review_ingredients(entered);
    ask_directions(entered);
    save(entered);

    print_blank_line();
    print_blank_line();
    print_line("Push any key to return to the Main Menu.");
    wait_any_key();
    reopen_menu_window();
}
