// Recipe removal: the list browser over the default recipe index, whose own
// action deletes the recipe on show after two confirmations.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
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
constexpr uint32_t red = 0xFF0000;

void print_lines(const std::vector<std::string>& lines) {
    for (const auto& line : lines) print_text(line, true);
}

// Only a recipe file in the program's directory is ever deleted: a damaged
// entry must not take "default.ldr" or a file elsewhere with it.
bool is_deletable_recipe_file(const std::string& file_name) {
    return is_safe_file_name(file_name) && file_name.find('/') == std::string::npos && file_name.size() >= 4 &&
           upper_case(file_name.substr(file_name.size() - 4)) == ".RCP";
}

browser_next remove_shown(list_browser& browser, const std::optional<image>& yes_no_picture) {
    const index_entry entry = shown_entry(browser);
    clear_screen();
    print_lines({"", "Are you sure that", "you want to delete", "recipe for:", entry.name});
    if (!ask_yes_no(yes_no_picture)) return browser_next::draw_same;

    set_colour(red, -1);
    clear_screen();
    print_lines({"Warning!", "You will not be", "able to recover", "this recipe,", "are you absolutely", "sure?"});
    set_colour(white, -1);
    if (!ask_yes_no(yes_no_picture)) return browser_next::draw_same;

    print_lines({"", "Deleting recipe..."});
    // The file goes only once the index no longer names it, so that a failed
    // rewrite never leaves an entry without its file. A file that is missing
    // or can't be deleted leaves the entry removed all the same.
    if (remove_index_entry(index_kind::default_index, browser.position, browser.count)) {
        if (is_deletable_recipe_file(entry.file_name)) delete_file(entry.file_name);
        print_lines({"Recipe Deleted."});
    } else {
        set_colour(red, -1);
        print_lines({"Could not rewrite the index;", "the recipe was kept."});
        set_colour(white, -1);
    }
    continue_wait(browser.setup.continue_picture);
    set_mouse(1, 1, -1);
    return browser_next::end;
}

}  // namespace

void remove_recipes() {
    list_browser_setup setup = begin_list_screen("Recipe Removal", "ldr_r_m.jpg");
    const std::optional<image> yes_no_picture = std::move(load_data_pictures({"yn.jpg"})[0]);
    setup.title_after_sub_screen = false;
    setup.own_hint = "(R) Remove Recipe   ";
    setup.own_key = 19;
    setup.own_key_before_export = true;
    setup.strip_has_edit = false;
    setup.view_waits_for_key = true;
    setup.load = [] { return load_index("default.ldr"); };
    setup.own_action = [&yes_no_picture](list_browser& browser) { return remove_shown(browser, yes_no_picture); };
    run_list_browser(std::move(setup));
}
