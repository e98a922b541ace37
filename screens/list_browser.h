#pragma once
#include <functional>
#include <optional>
#include <string>

#include "shell/image.h"
#include "storage/recipe.h"
#include "storage/recipe_index.h"

// The one-recipe-at-a-time browser that Browsing recipes, Recipe removal,
// Favourite recipes and the search results share: a counter, the index
// entry on show with its recipe's description and servings, and a button
// bar worked by mouse and held keys, one pass every 99 ms.

struct list_browser;

// What follows a screen's own action.
enum class browser_next {
    draw_same,    // draw the same entry again
    reload_first, // load again and show entry 1
    reload_keep,  // load again and keep the position (within the new count)
    end,          // the screen ends
};

struct list_browser_setup {
    std::string title;                   // set again after View and Export when
    bool title_after_sub_screen = true;  // this is true
    std::optional<image> bar;            // drawn at (0, 370)
    std::optional<image> continue_picture;
    std::string own_hint;                // 20 characters
    int own_key = 30;                    // set-1 scancode
    bool own_key_before_export = false;  // own key tested before P, so P wins
    bool strip_has_edit = true;
    bool view_waits_for_key = false;     // View first takes a key with wait_key
    // Fills the in-memory index and gives the count of entries to browse;
    // 0 ends the screen before anything is drawn.
    std::function<int()> load;
    // The in-memory index position of browsing position p; none: p itself.
    std::function<int(int position)> index_position;
    // A line printed in yellow right after the counter (the search's Meta
    // Score); none when empty. Later rows move down one.
    std::function<std::string(const list_browser&)> second_line;
    std::function<browser_next(list_browser&)> own_action;
};

struct list_browser {
    list_browser_setup setup;
    int count = 0;
    int position = 1;
    recipe shown;  // lines 1 and 2 of the shown recipe's file, read at each draw
};

// What a list screen starts with: the window titled, and a set-up with that
// title, the button bar picture and the continue picture.
list_browser_setup begin_list_screen(const std::string& title, const std::string& bar_picture);
void run_list_browser(list_browser_setup setup);

// The index entry on show.
const index_entry& shown_entry(const list_browser& browser);

// Add to Favorites of Browsing recipes and the search results: the shown
// recipe file's line 1 with the shown entry's file name, appended to
// "favs.ldr", then the message and the continue wait. The in-memory index
// holds the favourites afterwards: the caller loads its own index again.
void add_shown_to_favourites(list_browser& browser);
