// The Search screen: finds recipes of the default recipe index by name,
// author or source, or by the ingredient lines of their files, and shows the
// matches one at a time in the list browser.
#include "screens/search_recipes.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "screens/list_browser.h"
#include "screens/picture_waits.h"
#include "screens/screens.h"
#include "shell/services.h"
#include "shell/text.h"
#include "storage/recipe.h"
#include "storage/recipe_index.h"

namespace {

constexpr uint32_t white = 0xFFFFFF;
constexpr uint32_t yellow = 0xFFFF00;
constexpr uint32_t green = 0x00FF00;

constexpr int most_terms = 10;
constexpr int add_to_favourites_key = 30;  // A
// The continue picture covers y 400 and below: text rows 26 and 27.
constexpr int first_row_under_picture = 26;

// What a search found, in index order: positions in the in-memory index and,
// for the ingredient search, each one's count of matching lines.
struct search_results {
    std::vector<int> positions;
    std::vector<int> matches;
    int term_count = 0;  // as typed, empty terms included
};

void print_line(const std::string& text) { print_text(text, true); }

const std::string& searched_field(const index_entry& entry, uint8_t mode) {
    return mode == 1 ? entry.name : mode == 2 ? entry.author : entry.source;
}

std::string title_of(uint8_t mode) {
    switch (mode) {
    case 1: return "Search Names";
    case 2: return "Search Authors";
    case 3: return "Search Sources";
    case 4: return "Search Ingredients";
    default: return "";
    }
}

// Modes 1..3: one text tested against one field of every entry. False when
// the text is empty, which ends the screen.
bool search_entries(uint8_t mode, int count, search_results& found) {
    for (const char* line : {"Enter the text to", "search for.", "Search is not", "case-sensitive.", ""})
        print_line(line);
    set_colour(yellow, -1);
    const std::string text = input_value(">", false, true);
    set_colour(white, -1);
    if (text.empty()) return false;

    const search_terms wanted = prepare_terms({text});
    for (int position = 1; position <= count; ++position)
        if (holds_any_term(searched_field(index_at(position), mode), wanted)) found.positions.push_back(position);
    return true;
}

// The term count and the terms. The count is tested on the whole typed
// number, so a huge one cannot wrap round into 1..10. False when it lies
// outside 1..10, which ends the screen.
bool ask_terms(std::vector<std::string>& terms) {
    for (const char* line : {"You can search for", "recipes with up to", "10 ingredients as ", "your search query.",
                             "How many ingredients", "would you like to ", "search?"})
        print_line(line);
    const int64_t typed = input_number("(0-10)>", false, true);
    if (typed < 1 || typed > most_terms) return false;
    for (int term = 1; term <= typed; ++term) {
        print_line("Search Term " + int_to_text(term) + ":");
        terms.push_back(input_value(">", false, true));
    }
    return true;
}

// Reads the ingredients of every entry's recipe file, one dot and 25 ms
// each. A file name that may not be opened counts as a missing file: no
// ingredients, not found.
void search_ingredients(int count, const std::vector<std::string>& terms, search_results& found) {
    const search_terms prepared = prepare_terms(terms);
    found.term_count = static_cast<int>(terms.size());

    set_colour(green, -1);
    print_line("Searching Database");
    pause(99);
    for (int position = 1; position <= count; ++position) {
        print_text(".", false);
        pause(25);
        const std::string& file_name = index_at(position).file_name;
        if (!is_safe_file_name(file_name)) continue;
        const int matches = count_matching_ingredients(read_recipe_ingredients(file_name), prepared);
        if (matches > 0) {
            found.positions.push_back(position);
            found.matches.push_back(matches);
        }
    }
    print_line(".");
    pause(75);
    set_colour(white, -1);
}

// Where the message would land under the continue picture, it goes on a
// cleared screen instead, so that it stays readable during the wait.
void show_no_matches(const std::optional<image>& continue_picture) {
    if (cursor_row() + 1 >= first_row_under_picture) clear_screen();
    print_line("");
    set_colour(yellow, -1);
    print_line("No matches found.");
    set_colour(white, -1);
    continue_wait(continue_picture);
    set_mouse(1, 1, -1);
}

std::string meta_score_line(const search_results& found, const list_browser& browser) {
    const size_t result = static_cast<size_t>(browser.position - 1);
    return "Meta Score: " + int_to_text(meta_score(found.matches.at(result), found.term_count));
}

// The list browser over the results: position p shows the entry of result p.
// pictures: the button bar and the continue picture.
void show_results(uint8_t mode, const search_results& found, std::vector<std::optional<image>> pictures) {
    const int result_count = static_cast<int>(found.positions.size());
    list_browser_setup setup;
    setup.title = title_of(mode);
    setup.title_after_sub_screen = false;  // the viewer's or exporter's title stays
    setup.bar = std::move(pictures[0]);
    setup.continue_picture = std::move(pictures[1]);
    setup.own_hint = "(A) Add to Favorites";
    setup.own_key = add_to_favourites_key;
    // Add to Favorites leaves the favourites in the shared index, so every
    // load reads the default index afresh; the results stay as found.
    setup.load = [result_count] {
        load_index("default.ldr");
        return result_count;
    };
    setup.index_position = [&found, result_count](int position) {
        return found.positions[static_cast<size_t>(std::clamp(position, 1, result_count) - 1)];
    };
    if (mode == 4)
        setup.second_line = [&found](const list_browser& browser) { return meta_score_line(found, browser); };
    setup.own_action = [](list_browser& browser) {
        add_shown_to_favourites(browser);
        return browser_next::reload_keep;
    };
    run_list_browser(std::move(setup));
}

}  // namespace

void search_recipes(uint8_t mode) {
    clear_screen();
    auto pictures = load_data_pictures({"ldr_b_m.jpg", "cont.jpg"});
    const int count = load_index("default.ldr");
    if (count <= 0) return;

    search_results found;
    const std::string title = title_of(mode);
    if (!title.empty()) set_window_title(title);
    if (mode >= 1 && mode <= 3 && !search_entries(mode, count, found)) return;
    if (mode == 4) {
        std::vector<std::string> terms;
        if (!ask_terms(terms)) return;
        search_ingredients(count, terms, found);
    }

    if (found.positions.empty()) {
        show_no_matches(pictures[1]);
        return;
    }
    show_results(mode, found, std::move(pictures));
}
