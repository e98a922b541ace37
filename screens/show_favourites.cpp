// Favourite recipes: the favourites recipe index in the list browser, with
// Remove from List as its own action. Only "favs.ldr" is ever rewritten.
#include <cstdint>
#include <string>
#include <vector>

#include "screens/list_browser.h"
#include "screens/picture_waits.h"
#include "screens/screens.h"
#include "shell/services.h"

namespace {

constexpr uint32_t red = 0xFF0000;
constexpr uint32_t white = 0xFFFFFF;
constexpr int key_d = 32;

// Drops the entry on show and writes the others back in their order, with
// no question asked; the list then shows again from favourite 1.
browser_next remove_from_list(list_browser& browser) {
    backup_index(index_kind::favourites);  // the rewrite comes from memory either way
    std::vector<index_entry>& entries = recipe_index();
    entries.erase(entries.begin() + browser.position);
    save_index("favs.ldr", browser.count - 1);
    const bool failed = last_error() != 0;
    clear_screen();
    set_colour(red, -1);
    print_text(failed ? "Recipe could not be removed" : "Recipe removed", true);
    print_text("from favorites list", true);
    set_colour(white, -1);
    continue_wait(browser.setup.continue_picture);
    set_mouse(1, 1, -1);
    return browser_next::reload_first;
}

}  // namespace

void show_favourites() {
    const std::string title = "Favorite Recipes";
    set_window_title(title);
    auto pictures = load_data_pictures({"ldr_f_m.jpg", "cont.jpg"});

    list_browser_setup setup;
    setup.title = title;
    setup.bar = std::move(pictures[0]);
    setup.continue_picture = std::move(pictures[1]);
    setup.own_hint = "(D) Remove from List";
    setup.own_key = key_d;
    setup.view_waits_for_key = true;
    // A missing or unreadable file loads as no entries: the screen ends.
    setup.load = [] { return load_index("favs.ldr"); };
    setup.own_action = remove_from_list;
    run_list_browser(std::move(setup));
}
