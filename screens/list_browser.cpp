#include "screens/list_browser.h"

// Not built yet.
void run_list_browser(list_browser_setup) {}
const index_entry& shown_entry(const list_browser& browser) {
    int position = browser.setup.index_position ? browser.setup.index_position(browser.position) : browser.position;
    return index_at(position);
}
void add_shown_to_favourites(list_browser&) {}
