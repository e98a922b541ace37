// Favourite recipes: the favourites recipe index in the list browser, with
// Remove from List as its own action. Only "favs.ldr" is ever rewritten.
#include <cstdint>
#include <string>

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
    const bool failed = !remove_index_entry(index_kind::favourites, browser.position, browser.count);
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
    list_browser_setup setup = begin_list_screen("Favorite Recipes", "ldr_f_m.jpg");
    setup.own_hint = "(D) Remove from List";
    setup.own_key = key_d;
    setup.view_waits_for_key = true;
    // A missing or unreadable file loads as no entries: the screen ends.
    setup.load = [] { return load_index("favs.ldr"); };
    setup.own_action = remove_from_list;
    run_list_browser(std::move(setup));
}
