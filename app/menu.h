#pragma once
#include <optional>

#include "shell/image.h"

// The main menu's pictures: nine 250x50 buttons from the top, and the
// 250x450 exit picture.
struct menu_pictures {
    std::optional<image> buttons[9];
    std::optional<image> exit;
};

menu_pictures load_menu_pictures();
// The recipe count of "default.ldr", made as an empty index when it can't be
// opened; the in-memory recipe index is made anew with room for it.
int read_recipe_count(int previous_count);
// Runs menu passes until the user leaves through the exit picture.
[[noreturn]] void run_menu(const menu_pictures& pictures);
