// The recipe viewer: one whole recipe on the 640x480 text screen, paged with
// the space bar and left with Escape. It changes nothing on disk.
#include <string>

#include "screens/screens.h"
#include "shell/services.h"
#include "shell/text.h"
#include "storage/recipe.h"

namespace {

constexpr uint32_t white = 0xFFFFFF;
constexpr uint32_t black = 0x000000;
constexpr uint32_t red = 0xFF0000;

// Places above a list's count are not part of the recipe: they read as empty.
const std::string& ingredient_at(const recipe& shown, int place) {
    static const std::string none;
    return place <= shown.ingredient_count ? shown.ingredients[place] : none;
}

const std::string& direction_at(const recipe& shown, int place) {
    static const std::string none;
    return place <= shown.direction_count ? shown.directions[place] : none;
}

// Takes keys until the one waited for comes; every other key is dropped.
void wait_for(const std::string& key) {
    while (read_key() != key) pause(25);
}

void wait_for_space() {
    print_text("", true);
    print_text("Push 'SPACEBAR' to continue", true);
    wait_for(" ");
}

void print_heading(const recipe& shown) {
    print_text(shown.name + " by " + shown.author, true);
    print_text("From: " + shown.source + "   Serves: " + int_to_text(shown.servings), true);
    print_text(shown.description, true);
    print_text(std::string(79, '-'), true);
    print_text("Ingredients:", true);
    print_text("", true);
}

// A row of the two-column layout: the left ingredient, three blanks and the
// one ten places further on.
void print_ingredient_row(const recipe& shown, int left) {
    print_text(ingredient_at(shown, left) + "   " + ingredient_at(shown, left + 10), true);
}

void print_ingredients(const recipe& shown) {
    const int count = shown.ingredient_count;
    if (count <= 10) {
        for (int place = 1; place <= count; ++place)
            if (!ingredient_at(shown, place).empty()) print_text(ingredient_at(shown, place), true);
        return;
    }
    // The first page shows all ten rows; the later ones only rows whose left
    // ingredient is there.
    for (int left = 1; left <= 10; ++left) print_ingredient_row(shown, left);
    for (int first = 21; first <= 31 && count > first - 1; first += 10) {
        wait_for_space();
        for (int left = first; left < first + 10; ++left)
            if (!ingredient_at(shown, left).empty()) print_ingredient_row(shown, left);
    }
}

void print_directions(const recipe& shown) {
    print_text("", true);
    print_text("Directions:", true);
    print_text("", true);
    const int count = shown.direction_count;
    // A short ingredient list with a full first page of directions keeps
    // that page's empty lines.
    const bool keep_empty_first_page = shown.ingredient_count <= 10 && count >= 10;
    for (int first = 1; first <= 41; first += 10) {
        if (first > 1) {
            if (count <= first - 1) break;
            wait_for_space();
        }
        for (int place = first; place < first + 10; ++place) {
            const std::string& line = direction_at(shown, place);
            if (!line.empty() || (first == 1 && keep_empty_first_page)) print_text(line, true);
        }
    }
}

}  // namespace

void view_recipe(const std::string& file_name) {
    set_window_title("Recipe Viewer");
    const recipe shown = read_recipe(file_name);

    open_window(640, 480, 32);
    set_text_grid(80, 30);
    clear_screen();
    flood_fill(1, 1, white);
    set_colour(black, white);

    print_heading(shown);
    print_ingredients(shown);
    print_directions(shown);

    print_text("", true);
    set_colour(red, -1);
    print_text("Push 'ESC' return", true);
    wait_for(std::string(1, '\x1B'));

    open_window(250, 450, 32);
    set_text_grid(30, 27);
    set_colour(white, black);
}
