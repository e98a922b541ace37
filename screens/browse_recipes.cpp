// Browsing recipes: the default recipe index in the list browser, with Add
// to Favorites as its own action.
#include "screens/list_browser.h"
#include "screens/screens.h"
#include "shell/services.h"

void browse_recipes() {
    list_browser_setup setup = begin_list_screen("Browsing Recipes", "ldr_b_m.jpg");
    setup.own_hint = "(A) Add to Favorites";
    setup.own_key = 30;
    setup.load = [] { return load_index("default.ldr"); };
    // The favourites now fill the in-memory index: the default one is loaded
    // again and shown from its first recipe.
    setup.own_action = [](list_browser& browser) {
        add_shown_to_favourites(browser);
        return browser_next::reload_first;
    };
    run_list_browser(std::move(setup));
}
